// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportinputs.h"
#include "hostileinputs.h"
#include "noteexport.h"
#include "qvfilename.h"
#include "textfilereader.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Hostile files through quillet-export, as a user runs it: its exit status, its JSON and its
// messages, with the same outcome as the viewer's reading.
class TestHostileCompanion : public QObject
{
    Q_OBJECT

private slots:
    void hostileFile_data() { addHostileRows(); }
    void hostileFile();
    void memoryRunsOut_data();
    void memoryRunsOut();
};

namespace {

struct Run
{
    bool finished = false;
    int status = -1; // -1 when it did not end normally
    QByteArray out;
    QByteArray err;
};

// Runs a program with arguments given as bytes, as a shell passes them: QProcess can only pass
// text, which cannot carry a file name that is not UTF-8. Gives up after a minute. Standard
// output is discarded when `keepOutput` is false.
Run runNative(const QList<QByteArray> &command, const QByteArray &input = {},
              bool keepOutput = true)
{
    QTemporaryFile in;
    QTemporaryFile out;
    QTemporaryFile err;
    if (!in.open() || in.write(input) != input.size() || !in.flush() || !out.open() || !err.open())
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const auto guard = qScopeGuard([&] { posix_spawn_file_actions_destroy(&actions); });
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, QFile::encodeName(in.fileName()),
                                     O_RDONLY, 0);
    if (keepOutput)
        posix_spawn_file_actions_adddup2(&actions, out.handle(), STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err.handle(), STDERR_FILENO);
    std::vector<char *> argv;
    for (const QByteArray &argument : command)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return {};

    Run run;
    int status = 0;
    QDeadlineTimer deadline(std::chrono::minutes(1));
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return run;
        }
        QThread::msleep(5);
    }
    run.finished = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    out.seek(0);
    err.seek(0);
    run.out = out.readAll();
    run.err = err.readAll();
    return run;
}

// What Python's os.fsencode makes of the "file" value of the first object in `json`: the file
// name's bytes again.
QByteArray fileNameThroughPython(const QByteArray &json)
{
    return runNative({"env", "PYTHONUTF8=1", "python3", "-c",
                      "import json, os, sys; "
                      "sys.stdout.buffer.write(os.fsencode(json.load(sys.stdin)[0]['file']))"},
                     json)
        .out;
}

// Whether `text` is UTF-8 that a terminal shows without acting on it: no control character but
// tab and line ends (LF, CR LF), no DEL, no C1 control.
bool safeForTerminal(const QByteArray &text)
{
    const QString decoded = QString::fromUtf8(text);
    if (decoded.toUtf8() != text)
        return false; // not UTF-8
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const char16_t c = decoded[i].unicode();
        const bool lineEnd =
            c == u'\n' || (c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n');
        if ((c < 0x20 && c != u'\t' && !lineEnd) || (c >= 0x7F && c < 0xA0))
            return false;
    }
    return true;
}

// The file name in the "== name ==" line that starts text output, each \\xHH escape turned back
// into its octet.
QByteArray headerName(const QByteArray &text)
{
    const qsizetype end = text.indexOf(" ==\n");
    if (!text.startsWith("== ") || end < 0)
        return {};
    const QByteArray shown = text.sliced(3, end - 3);
    const auto isHex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    };
    QByteArray name;
    for (qsizetype at = 0; at < shown.size(); ++at) {
        if (shown.sliced(at).startsWith("\\x") && at + 3 < shown.size() && isHex(shown[at + 2]) &&
            isHex(shown[at + 3])) {
            name.append(QByteArray::fromHex(shown.sliced(at + 2, 2)));
            at += 3;
        } else {
            name.append(shown[at]);
        }
    }
    return name;
}

} // namespace

void TestHostileCompanion::hostileFile()
{
    const auto [input, readFailure, why, message, version, body] = fetchHostileCase();
    if (input == HostileInput::Unreadable && ::geteuid() == 0)
        QSKIP("Running as root, whom permission bits do not stop from reading.");

    const HostileFile file(input);
    QVERIFY(file.dir.isValid());
    const auto &[dir, path, ours, before] = file;
    const QByteArray nativePath = qvTextToFileName(path);

    const Run json = runNative({QUILLET_EXPORT_PATH, "--format", "json", nativePath});
    if (!json.finished) {
        unblockFifo(path);
        QFAIL("quillet-export did not finish: it blocked");
    }
    const bool accepted = readFailure == 0 && message.isEmpty();
    QCOMPARE(json.status, accepted ? 0 : 1);
    if (input == HostileInput::Directory) {
        // A folder stands for the notes in it: this one holds none.
        QCOMPARE(json.out, QByteArray("[]\n"));
        QCOMPARE(QString::fromUtf8(json.err), noNotesInFolderMessage(path) + u'\n');
        return;
    }

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.array().size(), 1);
    const QJsonObject shown = document.array().first().toObject();
    QCOMPARE(shown.value(u"file").toString(), path);
    if (nativePath != path.toUtf8()) // a name that only the escapes can carry
        QCOMPARE(fileNameThroughPython(json.out), nativePath);
    QCOMPARE(shown.value(u"accepted").toBool(), accepted);
    QCOMPARE(shown.value(u"title").toString(),
             accepted ? NoteView::titleFor(path) : NoteView::emptyTitle());
    QCOMPARE(shown.value(u"version").toString(), version);
    QCOMPARE(shown.value(u"body").toString(), body);

    const QString errors = QString::fromUtf8(json.err);
    if (readFailure != 0) {
        QCOMPARE(shown.value(u"error").toString(), readFailureMessage(path));
        QVERIFY2(errors.contains(why), qPrintable(errors));
    } else {
        QCOMPARE(shown.value(u"error").toString(), message);
        if (!message.isEmpty())
            QVERIFY2(errors.contains(message), qPrintable(errors));
    }
    QVERIFY2(safeForTerminal(json.err), json.err.constData());

    const Run text = runNative({QUILLET_EXPORT_PATH, nativePath});
    QVERIFY(text.finished);
    QCOMPARE(text.status, json.status);
    QVERIFY2(safeForTerminal(text.out), text.out.constData());
    QCOMPARE(headerName(text.out), nativePath);
    if (ours)
        QCOMPARE(FileState::of(path), before);
}

// Notes of 50 MB (a body of as many plain characters, which the viewer keeps) under a limit on
// the address space: the run holds one note at a time, and a note that does not fit is that
// file's failure, after which the run goes on.
void TestHostileCompanion::memoryRunsOut_data()
{
    QTest::addColumn<int>("largeNotes");
    QTest::addColumn<bool>("smallNoteAfter");
    QTest::addColumn<int>("limitMegabytes");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("status");

    QTest::newRow("ten large notes fit one at a time")
        << 10 << false << 1000 << QByteArray("json") << 0;
    QTest::newRow("a note that does not fit, then one that does")
        << 1 << true << 200 << QByteArray("json") << 1;
    QTest::newRow("the same as text") << 1 << true << 200 << QByteArray("text") << 1;
    // Read and parsed within the limit, but its text takes more.
    QTest::newRow("a note that does not fit as text")
        << 1 << true << 380 << QByteArray("text") << 1;
}

void TestHostileCompanion::memoryRunsOut()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves far more address space than any limit here allows.");
#endif
    QFETCH(int, largeNotes);
    QFETCH(bool, smallNoteAfter);
    QFETCH(int, limitMegabytes);
    QFETCH(QByteArray, format);
    QFETCH(int, status);

    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray large = QFile::encodeName(dir.filePath(QStringLiteral("large.vnt")));
    QFile file(QFile::decodeName(large));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n");
    const QByteArray line = QByteArray(98, 'A') + "\r\n";
    for (int i = 0; i < 500 * 1000; ++i)
        file.write(line);
    file.write("END:VNOTE\r\n");
    QVERIFY(file.error() == QFileDevice::NoError);
    file.close();
    const QByteArray small = QUILLET_TEST_DATA "/golden/phone-en-lf.vnt";

    // In the C locale, which maps no locale archive into the address space.
    QList<QByteArray> command{"env",
                              "LC_ALL=C.UTF-8",
                              "sh",
                              "-c",
                              "ulimit -v \"$0\" && exec \"$@\"",
                              QByteArray::number(limitMegabytes * 1024),
                              QUILLET_EXPORT_PATH,
                              "--format",
                              format};
    for (int i = 0; i < largeNotes; ++i)
        command.append(large);
    if (smallNoteAfter)
        command.append(small);
    // The ten large notes would make 500 MB of output: only the status and messages count.
    const Run run = runNative(command, {}, smallNoteAfter);
    QVERIFY(run.finished);
    QCOMPARE(run.status, status);
    const QString errors = QString::fromUtf8(run.err);
    const QString outOfMemory = TextFileReader::outOfMemory().description();
    QCOMPARE(errors.count(outOfMemory), status == 0 ? 0 : 1);
    if (!smallNoteAfter)
        return;
    if (format == "json") {
        const QJsonArray notes = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(notes.size(), 2);
        QCOMPARE(notes[0][u"accepted"].toBool(), false);
        QCOMPARE(notes[0][u"error"].toString(), readFailureMessage(QFile::decodeName(large)));
        QCOMPARE(notes[1][u"accepted"].toBool(), true);
    } else {
        const QString text = QString::fromUtf8(run.out);
        QVERIFY2(text.contains(readFailureMessage(QFile::decodeName(large))), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Quillet [phone-en-lf.vnt]")), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestHostileCompanion)
#include "tst_hostilecompanion.moc"

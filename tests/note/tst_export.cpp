// SPDX-License-Identifier: GPL-3.0-or-later
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

// Where the companion's standard output goes.
enum class Output {
    Captured,
    DevFull,
    Closed,
    ClosedPipe,                // a reader that leaves after one byte
    ClosedPipeIgnoringSigpipe, // the same, with SIGPIPE ignored
};
Q_DECLARE_METATYPE(Output)

// The command-line companion as a user runs it.
class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void jsonHasOneObjectPerFileInOrder();
    void textShowsTheWindowLabels();
    void shortDateOption();
    void textIsSafeForATerminal_data();
    void textIsSafeForATerminal();
    void outputFailures_data();
    void outputFailures();

private:
    struct Run
    {
        int status = -1; // -1 when it did not end normally
        QByteArray out;
        QByteArray err;
    };
    static Run run(const QStringList &arguments, Output output = Output::Captured);
    static QString golden(const char *name)
    {
        return QStringLiteral(QUILLET_TEST_DATA "/golden/") + QLatin1String(name);
    }
};

TestExport::Run TestExport::run(const QStringList &arguments, Output output)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    process.setProcessEnvironment(env);
    QProcess reader;
    switch (output) {
    case Output::Captured:
        break;
    case Output::DevFull:
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        break;
    case Output::Closed:
        process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
        break;
    case Output::ClosedPipeIgnoringSigpipe:
        process.setChildProcessModifier([] { ::signal(SIGPIPE, SIG_IGN); });
        [[fallthrough]];
    case Output::ClosedPipe:
        process.setStandardOutputProcess(&reader);
        reader.setStandardOutputFile(QProcess::nullDevice());
        reader.start(QStringLiteral("head"), {QStringLiteral("-c"), QStringLiteral("1")});
        break;
    }
    process.start(QStringLiteral(QUILLET_EXPORT_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    reader.waitForFinished();
    Run result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestExport::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");

    const QString good = golden("phone-ru-crlf.vnt");
    QTest::newRow("accepted") << QStringList{good} << 0;
    QTest::newRow("all accepted, json") << QStringList{"--format", "json", good, good} << 0;
    QTest::newRow("one rejected") << QStringList{good, golden("no-end-marker.vnt")} << 1;
    QTest::newRow("one unreadable") << QStringList{good, "/nonexistent/a.vnt"} << 1;
    QTest::newRow("rejected before an accepted one")
        << QStringList{golden("no-end-marker.vnt"), good} << 1;
    QTest::newRow("unreadable before an accepted one")
        << QStringList{"--format", "json", "/nonexistent/a.vnt", good} << 1;
    QTest::newRow("directory") << QStringList{"--format", "json", QUILLET_TEST_DATA} << 1;
    QTest::newRow("no file") << QStringList{} << 2;
    QTest::newRow("unknown option") << QStringList{"--frobnicate", good} << 2;
    QTest::newRow("unknown format") << QStringList{"--format", "xml", good} << 2;
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("version") << QStringList{"--version"} << 0;
}

void TestExport::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    if (status == 2)
        QVERIFY(!result.err.isEmpty());
}

void TestExport::jsonHasOneObjectPerFileInOrder()
{
    const QStringList files{golden("phone-en-lf.vnt"), "/nonexistent/a.vnt",
                            golden("no-begin-marker.vnt")};
    const Run result = run(QStringList{"--format", "json"} + files);
    QCOMPARE(result.status, 1);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &parseError);
    QCOMPARE(parseError.error, QJsonParseError::NoError);
    const QJsonArray array = document.array();
    QCOMPARE(array.size(), 3);

    const QStringList keys{"accepted",     "body",       "created", "created_utc",
                           "error",        "file",       "kind",    "modified",
                           "modified_utc", "note_title", "title",   "version"};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject object = array[i].toObject();
        QStringList sorted = object.keys();
        sorted.sort();
        QCOMPARE(sorted, keys);
        QCOMPARE(object[u"file"].toString(), files[i]);
    }
    const QJsonObject accepted = array[0].toObject();
    QCOMPARE(accepted[u"accepted"].toBool(), true);
    QCOMPARE(accepted[u"title"].toString(), QStringLiteral("Quillet [phone-en-lf.vnt]"));
    QCOMPARE(accepted[u"created"].toString(),
             QStringLiteral("понедельник, 15 января 2024 г., 10:15:00"));
    QCOMPARE(accepted[u"body"].toString(),
             QStringLiteral("Dentist, Tuesday 9:30.\r\nAsk about the invoice from March."));
    QCOMPARE(accepted[u"error"].toString(), QString());

    const QJsonObject unreadable = array[1].toObject();
    QCOMPARE(unreadable[u"accepted"].toBool(), false);
    QCOMPARE(unreadable[u"title"].toString(), QStringLiteral("Quillet"));
    QCOMPARE(unreadable[u"error"].toString(),
             QStringLiteral("/nonexistent/a.vnt\n\nНе удалось прочесть файл."));

    const QJsonObject rejected = array[2].toObject();
    QCOMPARE(rejected[u"accepted"].toBool(), false);
    QCOMPARE(rejected[u"version"].toString(), QString());
    QCOMPARE(rejected[u"error"].toString(),
             QStringLiteral("Маркер \"BEGIN:VNOTE\" не был найден. Файл некорректен."));
    // The read failure's reason goes to standard error, the document stays pure JSON.
    QVERIFY(QString::fromUtf8(result.err).contains(QStringLiteral("/nonexistent/a.vnt")));
}

void TestExport::textShowsTheWindowLabels()
{
    const Run result = run({golden("phone-ru-crlf.vnt")});
    QCOMPARE(result.status, 0);
    const QString out = QString::fromUtf8(result.out);
    QVERIFY(out.contains(QStringLiteral("Quillet [phone-ru-crlf.vnt]")));
    QVERIFY(out.contains(QStringLiteral("Версия: 1.1\n")));
    QVERIFY(out.contains(QStringLiteral("Создан: среда, 3 апреля 2013 г., 02:19:40\n")));
    QVERIFY(out.contains(QStringLiteral("Изменён: среда, 1 января 2014 г., 00:00:00\n")));
    QVERIFY(out.contains(QStringLiteral("— чай с бергамотом\n")));
    QVERIFY(!out.contains(u'\r'));
}

void TestExport::shortDateOption()
{
    const Run result = run({"--format", "json", "--short-date", golden("phone-ru-crlf.vnt")});
    QCOMPARE(result.status, 0);
    const QJsonObject note = QJsonDocument::fromJson(result.out).array().at(0).toObject();
    QCOMPARE(note[u"created"].toString(), QStringLiteral("02:19:40 03.04.2013"));
}

// Text output is read in a terminal: what a note holds must not act on it. JSON stays exact.
void TestExport::textIsSafeForATerminal_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("textVersion");
    QTest::addColumn<QString>("textBody");
    QTest::addColumn<QString>("jsonVersion");
    QTest::addColumn<QString>("jsonBody");

    QTest::newRow("terminal title and clear screen in the body")
        << QByteArray("1.1") << QByteArray("=1B]0;pwned=07=1B[2J") << "1.1"
        << "\\x1B]0;pwned\\x07\\x1B[2J"
        << "1.1"
        << "\x1B]0;pwned\x07\x1B[2J";
    QTest::newRow("an escape in the version")
        << QByteArray("1\x1B[8m") << QByteArray("=41") << "1\\x1B[8M"
        << "A"
        << "1\x1B[8M"
        << "A";
    QTest::newRow("a lone CR, which would overwrite the line")
        << QByteArray("1.1") << QByteArray("ok=0Dno") << "1.1"
        << "ok\\x0Dno"
        << "1.1"
        << "ok\rno";
    QTest::newRow("CR LF, LF and tab are kept")
        << QByteArray("1.1") << QByteArray("a=0D=0Ab=0Ac=09d") << "1.1"
        << "a\nb\nc\td"
        << "1.1"
        << "a\r\nb\nc\td";
    QTest::newRow("DEL and NUL") << QByteArray("1.1") << QByteArray("a=7Fb=00c") << "1.1"
                                 << "a\\x7Fb\\x00c"
                                 << "1.1"
                                 << QString::fromUtf16(u"a\x7F"
                                                       u"b\0c",
                                                       5);
    QTest::newRow("a C1 control sequence introducer")
        << QByteArray("1.1") << QByteArray("a=C2=9B2Jb") << "1.1"
        << "a\\u009B2Jb"
        << "1.1"
        << "a\u009B2Jb";
    QTest::newRow("backslashes as they are")
        << QByteArray("1\\2") << QByteArray("C:=5Cnew=5C") << "1\\2"
        << "C:\\new\\"
        << "1\\2"
        << "C:\\new\\";
    QTest::newRow("Cyrillic as it is")
        << QByteArray("1.1") << QByteArray("=D0=9F=D1=80=D0=B8") << "1.1"
        << "При"
        << "1.1"
        << "При";
}

void TestExport::textIsSafeForATerminal()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, body);
    QFETCH(QString, textVersion);
    QFETCH(QString, textBody);
    QFETCH(QString, jsonVersion);
    QFETCH(QString, jsonBody);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("note.vnt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VNOTE\r\nVERSION:" + version +
               "\r\nBODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n" + body +
               "\r\nEND:VNOTE\r\n");
    file.close();

    const Run text = run({path});
    QCOMPARE(text.status, 0);
    const QString shown = QString::fromUtf8(text.out);
    QVERIFY2(shown.contains(QStringLiteral("Версия: ") + textVersion + u'\n'), qPrintable(shown));
    QVERIFY2(shown.endsWith(u'\n' + textBody + u'\n'), qPrintable(shown));

    const Run json = run({QStringLiteral("--format"), QStringLiteral("json"), path});
    QCOMPARE(json.status, 0);
    QJsonParseError error{};
    const QJsonObject note = QJsonDocument::fromJson(json.out, &error).array().at(0).toObject();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(note[u"version"].toString(), jsonVersion);
    QCOMPARE(note[u"body"].toString(), jsonBody);
}

// A failed write is reported, with status 1; a reader that closed the pipe only ends the run.
void TestExport::outputFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Output>("output");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("reported");

    const QString good = golden("phone-ru-crlf.vnt");
    QStringList many{QStringLiteral("--format"), QStringLiteral("json")};
    for (int i = 0; i < 2000; ++i) // far more than a pipe holds
        many.append(good);
    QTest::newRow("written whole") << QStringList{good} << Output::Captured << 0 << false;
    QTest::newRow("a full disk, text") << QStringList{good} << Output::DevFull << 1 << true;
    QTest::newRow("a full disk, json")
        << QStringList{"--format", "json", good} << Output::DevFull << 1 << true;
    QTest::newRow("a full disk, help") << QStringList{"--help"} << Output::DevFull << 1 << true;
    QTest::newRow("a full disk, version")
        << QStringList{"--version"} << Output::DevFull << 1 << true;
    QTest::newRow("standard output closed") << QStringList{good} << Output::Closed << 1 << true;
    QTest::newRow("a reader that leaves: SIGPIPE") << many << Output::ClosedPipe << -1 << false;
    QTest::newRow("a reader that leaves, SIGPIPE ignored")
        << many << Output::ClosedPipeIgnoringSigpipe << 1 << false;
}

void TestExport::outputFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(Output, output);
    QFETCH(int, status);
    QFETCH(bool, reported);
    const Run result = run(arguments, output);
    QCOMPARE(result.status, status);
    const QString errors = QString::fromUtf8(result.err);
    QCOMPARE(errors.contains(QStringLiteral("Cannot write the output")), reported);
    if (!reported)
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"

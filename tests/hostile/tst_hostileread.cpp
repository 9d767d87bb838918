// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostileinputs.h"
#include "messagesink.h"
#include "parsenote.h"
#include "qverror.h"
#include "textfilereader.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <thread>
#include <unistd.h>

// Hostile files through the reader and the parser, as the viewer loads them.
class TestHostileRead : public QObject
{
    Q_OBJECT

private slots:
    void hostileFile_data() { addHostileRows(); }
    void hostileFile();
    void readInPieces_data();
    void readInPieces();
    void fileSwappedWhileOpened();

private:
    struct Read
    {
        bool finished = false;
        QString text;
        int failure = 0;
        QString description;
    };
    static Read readWithin(const QString &path, std::chrono::seconds limit);
};

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { messages.append(message); }
    QStringList messages;
};

constexpr qsizetype ReadChunk = 1024 * 1024; // the size the reader reads at a time

} // namespace

// Reads on another thread, so that a read that blocks fails the test instead of hanging it.
TestHostileRead::Read TestHostileRead::readWithin(const QString &path, std::chrono::seconds limit)
{
    auto result = std::make_shared<Read>();
    std::packaged_task<void()> task([path, result] {
        try {
            result->text = TextFileReader::shared().ReadAllText(path);
        } catch (const QvError &error) {
            result->failure = error.number();
            result->description = error.description();
        }
    });
    std::future<void> done = task.get_future();
    std::thread reader(std::move(task));
    if (done.wait_for(limit) != std::future_status::ready) {
        // Only a pipe can hold a read up; anything else is merely slow on a busy machine.
        const bool pipe = unblockFifo(path);
        if (pipe && done.wait_for(limit) != std::future_status::ready) {
            reader.detach(); // stuck for good: leave it, the test has failed
            return {};
        }
        reader.join();
        if (pipe)
            return {}; // it finished only once a writer appeared: it blocked
    }
    reader.join();
    Read read = *result;
    read.finished = true;
    return read;
}

void TestHostileRead::hostileFile()
{
    const auto [input, readFailure, why, message, version, body] = fetchHostileCase();
    if (input == HostileInput::Unreadable && ::geteuid() == 0)
        QSKIP("Running as root, whom permission bits do not stop from reading.");

    const HostileFile file(input);
    QVERIFY(file.dir.isValid());
    const auto &[dir, path, ours, before] = file;

    const Read read = readWithin(path, std::chrono::seconds(20));
    QVERIFY2(read.finished, "the read blocked");
    QCOMPARE(read.failure, readFailure);
    if (readFailure != 0) {
        QVERIFY2(read.description.contains(why), qPrintable(read.description));
        QVERIFY2(read.description.contains(path), qPrintable(read.description));
    } else {
        NoteView view;
        RecordingSink sink;
        const DateDisplay display;
        const bool accepted = ParseNote(read.text, view, display, sink);
        QCOMPARE(accepted, message.isEmpty());
        QCOMPARE(sink.messages, message.isEmpty() ? QStringList() : QStringList{message});
        if (!accepted)
            QCOMPARE(view, NoteView()); // nothing written for a rejected note
        QCOMPARE(view.txtVersion, version);
        QCOMPARE(view.txtBody, body);
        QCOMPARE(view.title, NoteView::emptyTitle());
    }
    if (ours)
        QCOMPARE(FileState::of(path), before);
}

// Files larger than one read of the reader, cut at awkward places: the text must be what the
// whole file decoded at once gives.
void TestHostileRead::readInPieces_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QByteArray filler(ReadChunk - 1, 'a');
    const auto utf8 = [](const QByteArray &bytes) {
        return QString::fromUtf8(bytes);
    };
    const QByteArray twoOctets = filler + "\xD0\x96" + QByteArray(100, 'b');
    QTest::newRow("a two-octet character across reads") << twoOctets << utf8(twoOctets);
    const QByteArray fourOctets = filler.chopped(1) + "\xF0\x9F\x98\x80" + "b";
    QTest::newRow("a four-octet character across reads") << fourOctets << utf8(fourOctets);
    const QByteArray cut = filler + "\xD0" + "b\xE2\x82" + "c";
    QTest::newRow("a cut sequence at the end of a read") << cut << utf8(cut);
    const QByteArray broken = filler + "\xE2\x82" + "c" + QByteArray(10, 'd');
    QTest::newRow("a sequence cut by a read and broken after it") << broken << utf8(broken);
    const QByteArray stray = filler + "a\x80\xBF" + QByteArray(ReadChunk, 'c') + "\xFF";
    QTest::newRow("stray octets after a whole read") << stray << utf8(stray);
    const QByteArray markInside = filler + "\xEF\xBB\xBF" + "b";
    QTest::newRow("a byte-order mark across reads is a character")
        << markInside << utf8(markInside);
    const QByteArray marked = "\xEF\xBB\xBF" + filler + "\xD0\x96";
    QTest::newRow("a byte-order mark before a large file") << marked << utf8(marked.mid(3));
    const QByteArray exact(ReadChunk, 'x');
    QTest::newRow("exactly one read") << exact << utf8(exact);
    const QByteArray oneMore(ReadChunk + 1, 'x');
    QTest::newRow("one byte more than a read") << oneMore << utf8(oneMore);
    QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    const QByteArray wide = "\xFF\xFE" + QByteArray(ReadChunk + 3, '\x04'); // odd: ends cut
    QTest::newRow("UTF-16 larger than one read") << wide << QString(decoder.decode(wide.mid(2)));
}

void TestHostileRead::readInPieces()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("large.vnt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    const QString read = TextFileReader::shared().ReadAllText(path);
    QCOMPARE(read.size(), text.size());
    QVERIFY(read == text);
}

// A loop renames a small note and a huge sparse file into place, over and over, while the note
// is read: whichever of the two the reader opens, and whatever it looked at before, it reads the
// note or reports "too large"; it never trusts an earlier look and runs out of memory.
void TestHostileRead::fileSwappedWhileOpened()
{
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("note.vnt")));
    const QByteArray small = QFile::encodeName(dir.filePath(QStringLiteral("small")));
    const QByteArray huge = QFile::encodeName(dir.filePath(QStringLiteral("huge")));
    const QByteArray next = QFile::encodeName(dir.filePath(QStringLiteral("next")));
    const QByteArray note = "BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n";
    QFile smallFile(QFile::decodeName(small));
    QVERIFY(smallFile.open(QIODevice::WriteOnly));
    QCOMPARE(smallFile.write(note), note.size());
    smallFile.close();
    QFile hugeFile(QFile::decodeName(huge));
    QVERIFY(hugeFile.open(QIODevice::WriteOnly));
    QVERIFY(hugeFile.resize(qint64(1) << 40)); // 1 TiB that takes no room on disk
    hugeFile.close();

    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        ::link(small.constData(), target.constData());
        for (bool toHuge = true; !stop; toHuge = !toHuge) {
            // One exchange where the file system can, else a link renamed into place.
            if (::renameat2(AT_FDCWD, huge.constData(), AT_FDCWD, target.constData(),
                            RENAME_EXCHANGE) == 0)
                continue;
            ::link(toHuge ? huge.constData() : small.constData(), next.constData());
            ::rename(next.constData(), target.constData());
        }
    });
    const auto joined = qScopeGuard([&] {
        stop = true;
        swapper.join();
    });

    // Many reads, as a swap lands between the look and the open only now and then; and at least
    // until both files have been met often, as the swaps take a while to start.
    int read = 0;
    int tooLarge = 0;
    const QDeadlineTimer enough(std::chrono::seconds(20));
    for (int i = 0; i < 100000 || ((read < 100 || tooLarge < 100) && !enough.hasExpired()); ++i) {
        try {
            QCOMPARE(TextFileReader::shared().ReadAllText(QFile::decodeName(target)),
                     QString::fromLatin1(note));
            ++read;
        } catch (const QvError &error) {
            if (error.number() == TextFileReader::NotFound)
                continue; // between the link and the rename on a slow file system
            QCOMPARE(error.number(), int(TextFileReader::TooLarge));
            ++tooLarge;
        }
    }
    QVERIFY(read > 0);
    QVERIFY(tooLarge > 0);
}

QTEST_GUILESS_MAIN(TestHostileRead)
#include "tst_hostileread.moc"

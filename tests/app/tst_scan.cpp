// SPDX-License-Identifier: GPL-3.0-or-later
// Files of another kind, such as a phone's backup, looked through for the notes they hold: in the
// window, which shows them as they are found, and in the note list, a row for each.

#include "appfixture.h"
#include "modalanswerer.h"
#include "notefolder.h"
#include "notelistrows.h"
#include "parsenote.h"
#include "textfilereader.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTest>

namespace {

// Bytes that hold no note, the same in every run.
QByteArray binary(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray utf16le(const QString &text)
{
    QByteArray units;
    for (const QChar c : text)
        units.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return units;
}

// A backup as old phones wrote them: a header, then binary records around an 8-bit note and a
// UTF-16LE one.
QByteArray backup()
{
    return "NBF\x01\x02" + binary(3000, 1) +
           QStringLiteral("BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY;CHARSET=UTF-8:Купить хлеб\r\n"
                          "END:VNOTE\r\n")
               .toUtf8() +
           binary(5000, 2) +
           utf16le(QStringLiteral("BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY:Позвонить маме\r\n"
                                  "END:VNOTE\r\n")) +
           binary(700, 3);
}

// Writes `content` at `offset` of the file in `path`; what lies between its end and `offset` is
// a hole, which costs no disk.
void writeAt(const QString &path, qint64 offset, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(offset) ||
        file.write(content) != content.size())
        qFatal("Cannot write %s", qPrintable(path));
}

QString writeAfterHole(const AppFixture &fixture, const QString &name, qint64 lead,
                       const QByteArray &content)
{
    const QString path = fixture.writeFile(name, {});
    writeAt(path, lead, content);
    return path;
}

constexpr qint64 OverTheCap = TextFileReader::MaxFileSize + 3;

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void inTheWindow_data();
    void inTheWindow();
    void inTheList_data() { inTheWindow_data(); }
    void inTheList();
    void stepWhileScanning();
    void newFileStopsTheScan();
    void notesFoundAreKept();

private:
    AppFixture m_fixture;
};

void TestScan::inTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("lead"); // zero bytes before the content
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("bodies"); // none: the file holds no note

    const QStringList both{QStringLiteral("Купить хлеб"), QStringLiteral("Позвонить маме")};
    QTest::newRow("backup") << "backup.nbu" << qint64(0) << backup() << both;
    QTest::newRow("over the size cap") << "large.dat" << OverTheCap << backup() << both;
    QTest::newRow("binary, no note")
        << "empty.nbu" << qint64(0) << "NBF\x01\x02" + binary(20000, 4) << QStringList();
    QTest::newRow("over the size cap, no note")
        << "empty.arc" << OverTheCap << QByteArray("END") << QStringList();
}

// The first note is shown, its title completed with the number of notes once the file has been
// looked through, and stepping goes through them; with none, the box of a file that is no note.
void TestScan::inTheWindow()
{
    QFETCH(QString, name);
    QFETCH(qint64, lead);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, bodies);
    const QString path = writeAfterHole(m_fixture, name, lead, content);
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger(); // every layout
    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    window->LoadNoteFile(path);

    const QString title = QStringLiteral("Quillet [%1]").arg(name);
    if (bodies.isEmpty()) {
        QTRY_COMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, beginMarkerMissingMessage());
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet"));
        QCOMPARE(window->statusBar()->currentMessage(), name + QStringLiteral(": не заметка"));
        return;
    }
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        if (i > 0)
            window->mnuFile[1]->trigger();
        QTRY_COMPARE(window->windowTitle(),
                     title + QStringLiteral(" (%1/%2)").arg(i + 1).arg(bodies.size()));
        QCOMPARE(window->txtBody->toPlainText(), bodies[i]);
        // The status bar no longer says that the file is being looked through.
        QCOMPARE(window->statusBar()->currentMessage(), QString());
    }
    QCOMPARE(answerer.seen.size(), 0);
}

// A step past the notes found so far waits for the next one, rather than leaving the file.
void TestScan::stepWhileScanning()
{
    const QString first = QStringLiteral("BEGIN:VNOTE\r\nBODY:first\r\nEND:VNOTE\r\n");
    const QString path =
        m_fixture.writeFile(QStringLiteral("phone.nbu"), "NBF\x01" + first.toUtf8());
    // The second note a long way on, after a hole, so that the step comes before it is found.
    writeAt(path, 4 * TextFileReader::MaxFileSize, "BEGIN:VNOTE\r\nBODY:second\r\nEND:VNOTE\r\n");
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(path);
    QTRY_COMPARE(window->txtBody->toPlainText(), QStringLiteral("first"));
    if (!window->isScanning())
        QSKIP("The file was looked through before the step");
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [phone.nbu] (1/…)"));
    QVERIFY(window->mnuFile[1]->isEnabled());
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("Quillet [phone.nbu] (2/2)"));
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("second"));
}

// Another file opened while one is being looked through: the look stops, and nothing it found
// comes to the window.
void TestScan::newFileStopsTheScan()
{
    const QString large = writeAfterHole(m_fixture, QStringLiteral("large.nbu"),
                                         4 * TextFileReader::MaxFileSize, backup());
    const QString note = m_fixture.writeFile(QStringLiteral("memo.vnt"), sampleNote());
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(large);
    QVERIFY(window->isScanning());
    window->LoadNoteFile(note);
    QVERIFY(!window->isScanning());
    QTest::qWait(500);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [memo.vnt]"));
}

// The note list's steps within the file shown take the notes found in it at once; once the file
// has changed, it is looked through again.
void TestScan::notesFoundAreKept()
{
    const QByteArray content = backup();
    const QString path = m_fixture.writeFile(QStringLiteral("backup.nbu"), content);
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(path);
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("Quillet [backup.nbu] (1/2)"));

    window->ShowListedNote(path, 1);
    QVERIFY(!window->isScanning());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [backup.nbu] (2/2)"));
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("Позвонить маме"));

    writeAt(path, content.size(), "BEGIN:VNOTE\r\nBODY:third\r\nEND:VNOTE\r\n");
    window->ShowListedNote(path, 2);
    QVERIFY(window->isScanning());
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("Quillet [backup.nbu] (3/3)"));
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("third"));
}

// A row for each note, in the order of the file, or one greyed row for a file with none.
void TestScan::inTheList()
{
    QFETCH(QString, name);
    QFETCH(qint64, lead);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, bodies);
    const QString path = writeAfterHole(m_fixture, name, lead, content);
    SearchOptions options;
    options.lenient = true;
    const QList<NoteRow> rows = ReadNoteRows(path, options, NaturalCollator());

    if (bodies.isEmpty()) {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].state, RowState::NotNote);
        return;
    }
    QCOMPARE(rows.size(), bodies.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].state, RowState::Note);
        QCOMPARE(rows[i].title, bodies[i]);
        QCOMPARE(rows[i].note, int(i));
        QCOMPARE(rows[i].notesInFile, int(bodies.size()));
    }
}

QTEST_MAIN(TestScan)
#include "tst_scan.moc"

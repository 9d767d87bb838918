// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export...: the note on show saved through the companion's writers.

#include "appfixture.h"
#include "modalanswerer.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimeZone>

namespace {

// Types `name` in the save dialog, picks the file type `filter` (as a user does, by the list),
// and saves as its button does: a file that is there is asked about.
ModalAnswerer::Answer saveAs(const QString &name, int filter = -1)
{
    return [name, filter](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog != nullptr);
        // The type first: picking one puts its suffix on the name typed.
        if (filter >= 0) {
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(filter);
            emit types->activated(filter); // what a pick in the list sends
            emit types->textActivated(types->itemText(filter));
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        // Clicked once this answer has returned: a box that the click opens is answered next.
        QMetaObject::invokeMethod(dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))
                                      ->button(QDialogButtonBox::Save),
                                  "click", Qt::QueuedConnection);
    };
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(AppFixture::settingsFile());
        qputenv("TZ", "Asia/Dubai");
    }
    void savesTheShownNote_data();
    void savesTheShownNote();
    void asksBeforeReplacing();
    void refusesNoteFiles_data();
    void refusesNoteFiles();
    void nothingToSaveWithoutANote();
    void secondNoteOfAFile_data();
    void secondNoteOfAFile();
    void namedAndDatedByTheNote_data();
    void namedAndDatedByTheNote();
    void remembersFolderAndFormat();

private:
    AppFixture m_fixture;
};

void TestExport::savesTheShownNote_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter"); // -1: the one the dialog starts with
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QStringList>("holds");

    QTest::newRow("text, the first type")
        << "first" << -1 << "first.txt"
        << QStringList{"== memo.vnt ==\nQuillet [memo.vnt]\n", "Версия: 1.1\n", "\nПривет\n"};
    QTest::newRow("Markdown by its type")
        << "second" << 1 << "second.md"
        << QStringList{"---\ntitle: Привет\n", "source: memo.vnt\n---\n\nПривет\n"};
    QTest::newRow("JSON by its suffix")
        << "out.JSON" << -1 << "out.JSON"
        << QStringList{"{\n  \"file\": \"memo.vnt\",\n", "\"body\": \"Привет\""};
    QTest::newRow("HTML by its type")
        << "third" << 3 << "third.html"
        << QStringList{"<html xmlns=", "<title>Привет</title>", "<h1>Привет</h1>"};
    QTest::newRow("ENEX by its suffix")
        << "all.enex" << -1 << "all.enex"
        << QStringList{"<en-export export-date=\"2", "<title>Привет</title>", "</en-export>\n"};
}

void TestExport::savesTheShownNote()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    QFETCH(QStringList, holds);

    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", sampleNote()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [memo.vnt]"));
    ModalAnswerer answerer;
    answerer.queue(saveAs(m_fixture.file(typed), filter));
    window->mnuFile[4]->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].nameFilters,
             (QStringList{"Текст (*.txt)", "Markdown (*.md)", "JSON (*.json)", "HTML (*.html)",
                          "ENEX (*.enex)"}));
    const QString text = QString::fromUtf8(readAll(m_fixture.file(saved)));
    for (const QString &part : holds)
        QVERIFY2(text.contains(part), qPrintable(text));
    if (saved.endsWith(u"JSON")) {
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        QVERIFY(!object.value(u"created_utc").toString().isEmpty());
    }
}

void TestExport::asksBeforeReplacing()
{
    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", sampleNote()));
    const QString target = m_fixture.writeFile("taken.txt", "mine");
    {
        ModalAnswerer answerer;
        answerer.queue(saveAs(target));
        answerer.queue(ModalAnswerer::click(QMessageBox::No)); // then the dialog is closed
        window->mnuFile[4]->trigger();
        QCOMPARE(answerer.seen.size(), 3);
        QCOMPARE(answerer.seen[1].className, QStringLiteral("QMessageBox"));
        QCOMPARE(readAll(target), QByteArray("mine"));
    }
    ModalAnswerer answerer;
    answerer.queue(saveAs(target));
    answerer.queue(ModalAnswerer::click(QMessageBox::Yes));
    window->mnuFile[4]->trigger();
    QVERIFY(readAll(target).contains("Привет"));
}

void TestExport::refusesNoteFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: nothing there

    QTest::newRow("the note on show") << "memo.vnt" << sampleNote();
    QTest::newRow("a note by its name, not there yet") << "new.Vnt" << QByteArray();
    QTest::newRow("a note by its first line")
        << "notes.txt" << QByteArray("\r\n \t\n  begin:VNote \r\nVERSION:1.1\r\nEND:VNOTE\r\n");
}

// Refused with a box, then asked again as it was left: nothing is written.
void TestExport::refusesNoteFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);

    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", sampleNote()));
    const QString target = m_fixture.file(name);
    if (!content.isNull())
        m_fixture.writeFile(name, content);
    QString folder;
    QString typed;
    QString type;
    ModalAnswerer answerer;
    answerer.queue(saveAs(target, 1));
    if (!content.isNull())
        answerer.queue(ModalAnswerer::click(QMessageBox::Yes)); // the dialog's own question
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    answerer.queue([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog != nullptr);
        folder = dialog->directory().absolutePath();
        typed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        type = dialog->selectedNameFilter();
        dialog->reject();
    });
    window->mnuFile[4]->trigger();

    QCOMPARE(answerer.seen.size(), content.isNull() ? 3 : 4);
    QCOMPARE(answerer.seen[answerer.seen.size() - 2].text,
             QStringLiteral("Нельзя сохранить поверх файла заметки: ") + target);
    QCOMPARE(folder, QFileInfo(target).absolutePath());
    QCOMPARE(typed, name);
    QCOMPARE(type, QStringLiteral("Markdown (*.md)"));
    QCOMPARE(QFile::exists(target), !content.isNull());
    if (!content.isNull())
        QCOMPARE(readAll(target), content);
}

void TestExport::nothingToSaveWithoutANote()
{
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    for (const int item : {4, 7, 8}) {
        QVERIFY(!window->mnuFile[item]->isEnabled());
        window->mnuFile[item]->trigger();
    }
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(window->mnuFile[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
}

void TestExport::secondNoteOfAFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("holds");
    QTest::newRow("text") << "second.txt"
                          << "== two].vnt (2/2) ==\nQuillet [two].vnt] (2/2)\n";
    QTest::newRow("JSON") << "second.json"
                          << "\"file\": \"two].vnt\",\n  \"index\": 2,";
}

// Read leniently, the note on show is one of its file's: the export says which, by the file's
// own name whatever characters it holds.
void TestExport::secondNoteOfAFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, holds);
    const QByteArray two = sampleNote() + sampleNote("2.0");
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(m_fixture.writeFile("two].vnt", two));
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("Quillet [two].vnt] (2/2)"));
    ModalAnswerer answerer;
    answerer.queue(saveAs(m_fixture.file(typed)));
    window->mnuFile[4]->trigger();
    const QString text = QString::fromUtf8(readAll(m_fixture.file(typed)));
    QVERIFY2(text.contains(holds), qPrintable(text));
    QVERIFY2(text.contains(u"2.0"), qPrintable(text));
}

void TestExport::namedAndDatedByTheNote_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("name"); // suggested, before the suffix

    QTest::newRow("a slash") << "Отчёт 1/2\nдалее"
                             << "Отчёт 1_2";
    QTest::newRow("leading dots") << "..скрытая"
                                  << "скрытая";
    // 255 octets with ".txt": 125 two-octet letters, not cut inside one.
    QTest::newRow("cut to a file name") << QString(300, u'ж') << QString(125, u'ж');
}

// The name suggested is the note's title made a file name; the file bears the note's LAST-MODIFIED
// time, and the status bar says where it went.
void TestExport::namedAndDatedByTheNote()
{
    QFETCH(QString, body);
    QFETCH(QString, name);

    const QByteArray note = noteWithBody(body).replace(
        "VERSION:1.1\r\n", "VERSION:1.1\r\nLAST-MODIFIED:20130705T183000\r\n");
    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", note));
    QString suggested;
    ModalAnswerer answerer;
    answerer.queue([&](QWidget *modal) {
        suggested = modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        saveAs(m_fixture.file(suggested))(modal);
    });
    window->mnuFile[4]->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].directory, QFileInfo(m_fixture.file("memo.vnt")).absolutePath());
    QCOMPARE(suggested, name);
    const QString saved = m_fixture.file(name + ".txt");
    QVERIFY(QFile::exists(saved));
    QCOMPARE(QFileInfo(saved).lastModified().toUTC(),
             QDateTime(QDate(2013, 7, 5), QTime(18, 30), QTimeZone::utc()));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Сохранено: ") + saved);
}

// The next export starts in the folder and with the type of the last.
void TestExport::remembersFolderAndFormat()
{
    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", sampleNote()));
    const QString folder = QFileInfo(m_fixture.writeFile("saved/keep", "")).absolutePath();
    {
        ModalAnswerer answerer;
        answerer.queue(saveAs(folder + "/first", 1));
        window->mnuFile[4]->trigger();
        QVERIFY(QFile::exists(folder + "/first.md"));
    }
    QString type;
    ModalAnswerer answerer;
    answerer.queue([&](QWidget *modal) {
        type = qobject_cast<QFileDialog *>(modal)->selectedNameFilter();
        qobject_cast<QFileDialog *>(modal)->reject();
    });
    window->mnuFile[4]->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].directory, folder);
    QCOMPARE(type, QStringLiteral("Markdown (*.md)"));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"

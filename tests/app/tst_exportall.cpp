// SPDX-License-Identifier: GPL-3.0-or-later
// File > Экспорт всех заметок...: the notes of a folder for another application.

#include "appfixture.h"
#include "batchexport.h"
#include "exportalldialog.h"
#include "listfixture.h"
#include "modalanswerer.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

namespace {

// Picks destination `index` in the export dialog, and the subfolders when asked.
ModalAnswerer::Answer choose(int index, bool subfolders = false)
{
    return [index, subfolders](QWidget *modal) {
        auto *dialog = qobject_cast<ExportAllDialog *>(modal);
        QVERIFY(dialog != nullptr);
        dialog->optDestination.at(index)->setChecked(true);
        dialog->chkSubfolders->setChecked(subfolders);
        dialog->accept();
    };
}

// Clicks the button of a box that says `caption`.
ModalAnswerer::Answer clickButton(const QString &caption)
{
    return [caption](QWidget *modal) {
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>()) {
            if (button->text() == caption) {
                button->click();
                return;
            }
        }
        qWarning("No such button");
        modal->close();
    };
}

} // namespace

class TestExportAll : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(AppFixture::settingsFile());
        qputenv("TZ", "Asia/Dubai");
        m_fixture = std::make_unique<AppFixture>();
        m_fixture->writeFile("notes/memo1.vnt", sampleNote("1.1"));
        m_fixture->writeFile("notes/memo2.vnt", sampleNote("2.0"));
        m_fixture->writeFile("notes/broken.vnt", "not a note");
        m_fixture->writeFile("notes/sub/memo3.vnt", sampleNote("3.0"));
        QDir().mkpath(m_fixture->file("out"));
    }
    void destinations_data();
    void destinations();
    void foundOnly_data();
    void foundOnly();
    void replaceQuestion_data();
    void replaceQuestion();
    void cancelledBetweenFiles_data();
    void cancelledBetweenFiles();

private:
    std::unique_ptr<AppFixture> m_fixture;
};

void TestExportAll::destinations_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<bool>("subfolders");
    QTest::addColumn<QString>("target");  // below "out"; "" for the folder itself
    QTest::addColumn<QString>("checked"); // a file below "out"
    QTest::addColumn<QStringList>("holds");
    QTest::addColumn<QString>("summary");

    QTest::newRow("Obsidian: Markdown files, dated by their notes")
        << 0 << false << ""
        << "memo2.md" << QStringList{"---\ntitle: Привет\n"}
        << "Сохранено заметок: 2. Пропущено: 1.";
    QTest::newRow("text files with the subfolders")
        << 5 << true << ""
        << "sub/memo3.txt" << QStringList{"Версия: 3.0"} << "Сохранено заметок: 3. Пропущено: 1.";
    QTest::newRow("Joplin: one ENEX file")
        << 1 << false << "all.enex"
        << "all.enex" << QStringList{"<en-export", "</en-export>\n"}
        << "Сохранено заметок: 2. Пропущено: 1.";
    QTest::newRow("JSON: one file, the rejected file in it too")
        << 6 << false << "all.json"
        << "all.json" << QStringList{"\"version\": \"1.1\"", "\"version\": \"2.0\"", "broken.vnt"}
        << "Сохранено заметок: 2. Пропущено: 1.";
}

// Each destination writes its format, says what it saved and skipped (the file that is no note,
// named with why), and its "Открыть папку" opens the folder that took the notes.
void TestExportAll::destinations()
{
    QFETCH(int, destination);
    QFETCH(bool, subfolders);
    QFETCH(QString, target);
    QFETCH(QString, checked);
    QFETCH(QStringList, holds);
    QFETCH(QString, summary);

    const auto window = AppFixture::showWindow(m_fixture->file("notes/memo1.vnt"));
    QUrl opened;
    window->openFolderUrl = [&opened](const QUrl &url) {
        opened = url;
    };
    const QString out = m_fixture->file("out");
    ModalAnswerer answerer;
    answerer.queue(choose(destination, subfolders));
    answerer.queue(ModalAnswerer::pickFile(target.isEmpty() ? out : out + '/' + target));
    answerer.queue(clickButton(QStringLiteral("Открыть папку")));
    window->mnuFile[7]->trigger();

    QCOMPARE(answerer.seen.size(), 3);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("Экспорт всех заметок"));
    QCOMPARE(answerer.seen[1].directory,
             QFileInfo(m_fixture->file("notes/memo1.vnt")).absolutePath());
    QCOMPARE(answerer.seen[2].text, summary);
    QCOMPARE(answerer.seen[2].detail, m_fixture->file("notes/broken.vnt") + ": не заметка");
    QCOMPARE(opened, QUrl::fromLocalFile(out));
    const QString text = QString::fromUtf8(readAll(out + '/' + checked));
    for (const QString &part : holds)
        QVERIFY2(text.contains(part), qPrintable(text));
    if (target.isEmpty()) {
        QCOMPARE(QFileInfo(out + '/' + checked).lastModified().toUTC(),
                 QDateTime(QDate(2013, 7, 5), QTime(18, 30), QTimeZone::utc()));
    }
}

void TestExportAll::foundOnly_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::newRow("a note to a file") << false;
    // Of a file of two notes, the one found.
    QTest::newRow("every layout") << true;
}

// While the list's filter is on, "Только найденные" takes the notes it found, and only them.
void TestExportAll::foundOnly()
{
    QFETCH(bool, lenient);
    m_fixture->writeFile("notes/milk.vnt", noteWithBody("Купить молоко") +
                                               (lenient ? noteWithBody("Позвонить") : ""));
    const auto window = AppFixture::showWindow(m_fixture->file("notes/memo1.vnt"));
    if (lenient)
        window->mnuSettings[1]->trigger();
    QVERIFY(listRead(*window));
    QVERIFY(filterFor(*window, "молоко"));
    const QString out = m_fixture->file("out");
    bool offered = false;
    ModalAnswerer answerer;
    answerer.queue([&offered](QWidget *modal) {
        auto *dialog = qobject_cast<ExportAllDialog *>(modal);
        QVERIFY(dialog != nullptr);
        offered = dialog->chkFoundOnly->isVisibleTo(dialog);
        dialog->chkFoundOnly->setChecked(true);
        dialog->optDestination.at(0)->setChecked(true);
        dialog->accept();
    });
    answerer.queue(ModalAnswerer::pickFile(out));
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    window->mnuFile[7]->trigger();

    QVERIFY(offered);
    QCOMPARE(answerer.seen.size(), 3);
    QCOMPARE(answerer.seen[2].text, QStringLiteral("Сохранено заметок: 1. Пропущено: 0."));
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"milk.md"});
}

void TestExportAll::replaceQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("summary"); // empty: none shown

    QTest::newRow("Заменить") << "Заменить" << true << "Сохранено заметок: 2. Пропущено: 1.";
    QTest::newRow("Пропустить") << "Пропустить" << false << "Сохранено заметок: 1. Пропущено: 2.";
    QTest::newRow("Отмена") << "Отмена" << false << "";
}

// A name taken in the folder is asked about once, with how many there are.
void TestExportAll::replaceQuestion()
{
    QFETCH(QString, answer);
    QFETCH(bool, replaced);
    QFETCH(QString, summary);

    const QString out = m_fixture->file("out");
    m_fixture->writeFile("out/memo1.md", "mine");
    const auto window = AppFixture::showWindow(m_fixture->file("notes/memo1.vnt"));
    ModalAnswerer answerer;
    answerer.queue(choose(0));
    answerer.queue(ModalAnswerer::pickFile(out));
    answerer.queue(clickButton(answer));
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    window->mnuFile[7]->trigger();

    QCOMPARE(answerer.seen.size(), summary.isEmpty() ? 3 : 4);
    QCOMPARE(answerer.seen[2].text,
             QStringLiteral("В папке уже есть файлы с такими именами: 1. Заменить их?"));
    QCOMPARE(readAll(out + "/memo1.md") != "mine", replaced);
    QCOMPARE(QFile::exists(out + "/memo2.md"), !summary.isEmpty());
    if (!summary.isEmpty())
        QCOMPARE(answerer.seen[3].text, summary);
}

void TestExportAll::cancelledBetweenFiles_data()
{
    QTest::addColumn<bool>("toFolder");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("a folder keeps the whole files done") << true << QStringList{"memo1.md"};
    QTest::newRow("one file is not written at all") << false << QStringList{};
}

// Отмена stops the run between two files.
void TestExportAll::cancelledBetweenFiles()
{
    QFETCH(bool, toFolder);
    QFETCH(QStringList, written);

    const ExportInputs inputs = collectInputs({m_fixture->file("notes")}, false);
    BatchOptions options;
    options.settings.format = ExportFormat::Markdown;
    options.toFolder = toFolder;
    options.destination = m_fixture->file(toFolder ? "out" : "out/all.md");
    qsizetype done = 0;
    const BatchResult result = exportBatch(
        inputs.notes, options, [&done] { return done == 2; },
        [&done](qsizetype files) { done = files; });
    QVERIFY(result.cancelled);
    QCOMPARE(result.saved, qsizetype(written.size()));
    QCOMPARE(QDir(m_fixture->file("out")).entryList(QDir::Files), written);
}

QTEST_MAIN(TestExportAll)
#include "tst_exportall.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Loading notes into the window: retry, rejection, title, the command line, the open dialog.

#include "appfixture.h"
#include "formatstamp.h"
#include "lenientreader.h"
#include "modalanswerer.h"
#include "notefilenames.h"
#include "openfiledialog.h"
#include "parsenote.h"
#include "qvcommandline.h"
#include "resourcelimit.h"
#include "textfilereader.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include <optional>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLET_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLET_ADDRESS_SANITIZER
#endif
#endif

namespace {

const QString ReadFailure = QStringLiteral("\n\nНе удалось прочесть файл.");

QString lastDirectory()
{
    return QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
        .value(QStringLiteral("OFN Paths/Last open VNT directory"))
        .toString();
}

bool viewIsEmpty(const frmMain &window)
{
    return window.windowTitle() == u"Quillet" && window.view() == NoteView() &&
           window.txtVersion->text().isEmpty() && window.txtDateCreated->text().isEmpty() &&
           window.txtDateModified->text().isEmpty() && window.txtBody->toPlainText().isEmpty();
}

} // namespace

class TestLoading : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void retryLoop_data();
    void retryLoop();
    void rejectedNote_data();
    void rejectedNote();
    void cutOffNoteInEveryLayout();
    void placeholdersInPath_data();
    void placeholdersInPath();
    void outOfMemory_data();
    void outOfMemory();
    void acceptedTitle_data();
    void acceptedTitle();
    void commandLine_data();
    void commandLine();
    void openDialog();
    void filterMatchesAnyCase_data();
    void filterMatchesAnyCase();

private:
    AppFixture m_fixture;
};

void TestLoading::retryLoop_data()
{
    QTest::addColumn<int>("failingRetries");
    QTest::addColumn<bool>("appearsThenRetry");
    QTest::newRow("cancel") << 0 << false;
    QTest::newRow("retry twice while missing, cancel") << 2 << false;
    QTest::newRow("file appears, retry") << 0 << true;
    QTest::newRow("retry while missing, file appears, retry") << 1 << true;
}

void TestLoading::retryLoop()
{
    QFETCH(int, failingRetries);
    QFETCH(bool, appearsThenRetry);
    const QString name = QStringLiteral("late %1.vnt").arg(QTest::currentDataTag());
    const QString path = m_fixture.file(name);
    const auto window = AppFixture::showWindow(m_fixture.writeFile("shown.vnt", sampleNote()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [shown.vnt]"));

    ModalAnswerer answerer;
    for (int i = 0; i < failingRetries; ++i)
        answerer.queue(ModalAnswerer::click(QMessageBox::Retry));
    if (appearsThenRetry) {
        answerer.queue(ModalAnswerer::click(QMessageBox::Retry,
                                            [&] { m_fixture.writeFile(name, sampleNote("7.7")); }));
    } else {
        answerer.queue(ModalAnswerer::click(QMessageBox::Cancel));
    }
    window->LoadNoteFile(path);

    QCOMPARE(answerer.seen.size(), failingRetries + 1);
    for (const ModalAnswerer::Seen &box : answerer.seen) {
        QCOMPARE(box.text, path + ReadFailure);
        QCOMPARE(box.title, QStringLiteral("Tessavo - Quillet"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons,
                 QList<QMessageBox::StandardButton>({QMessageBox::Retry, QMessageBox::Cancel}));
        QVERIFY2(box.detail.contains(u"53") && box.detail.contains(path), qPrintable(box.detail));
    }
    if (appearsThenRetry) {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [%1]").arg(name));
        QCOMPARE(window->txtVersion->text(), QStringLiteral("7.7"));
        QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("Привет"));
    } else {
        // The note shown before is gone.
        QVERIFY(viewIsEmpty(*window));
    }
}

void TestLoading::rejectedNote_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("no markers") << QByteArray("just text\n") << beginMarkerMissingMessage();
    QTest::newRow("empty file") << QByteArray() << beginMarkerMissingMessage();
    QTest::newRow("no end") << QByteArray("BEGIN:VNOTE\nVERSION:1.1\n")
                            << endMarkerMissingMessage();
}

void TestLoading::rejectedNote()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const auto window = AppFixture::showWindow(m_fixture.writeFile("before.vnt", sampleNote()));
    window->txtVersion->setFocus();
    ModalAnswerer answerer;
    window->LoadNoteFile(m_fixture.writeFile("rejected.vnt", content));
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].text, message);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("Tessavo - Quillet"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(answerer.seen[0].buttons, QList<QMessageBox::StandardButton>({QMessageBox::Ok}));
    QVERIFY(viewIsEmpty(*window));
    QCOMPARE(window->focusWidget(), window->txtBody);
}

// Read in every layout, the same file shows what it has, and the status bar says it is cut off;
// no box. The next note, whole, clears the notice.
void TestLoading::cutOffNoteInEveryLayout()
{
    const auto window = AppFixture::showWindow(m_fixture.writeFile("before.vnt", sampleNote()));
    window->mnuSettings[1]->trigger();
    ModalAnswerer answerer;
    window->LoadNoteFile(
        m_fixture.writeFile("cut.vnt", "BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY:half a no"));
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("half a no"));
    QCOMPARE(window->statusBar()->currentMessage(), cutOffNoteMessage());
    window->LoadNoteFile(m_fixture.writeFile("whole.vnt", sampleNote()));
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
}

void TestLoading::placeholdersInPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("%1") << "a%1b.vnt";
    QTest::newRow("%2 before %1") << "%2 then %1.vnt";
    QTest::newRow("%L1 and %%") << "%L1 %% 100%.vnt";
}

// The error box's details show the path as it is, whatever it holds that looks like a placeholder.
void TestLoading::placeholdersInPath()
{
    QFETCH(QString, name);
    const QString path = m_fixture.file(name);
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::click(QMessageBox::Cancel));
    window->LoadNoteFile(path);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].text, path + ReadFailure);
    const QString detail = answerer.seen[0].detail;
    QVERIFY2(detail.contains(path) && detail.endsWith(u"\nКод ошибки: 53"), qPrintable(detail));
}

void TestLoading::outOfMemory_data()
{
    QTest::addColumn<int>("budgetMiB");
    QTest::addColumn<bool>("retry"); // with the memory back
    // The note's file takes 12 MB, its text 24 MB, its body 8 MB, and laying out its one line
    // some 200 MB more.
    QTest::newRow("while reading, then Retry") << 8 << true;
    QTest::newRow("while showing, then Cancel") << 80 << false;
}

// Memory that runs out in loading a note is reported in the read-failure box, and the program
// goes on: Retry, with the memory back, shows the note.
void TestLoading::outOfMemory()
{
#ifdef QUILLET_ADDRESS_SANITIZER
    QSKIP("AddressSanitizer reserves more address space than any limit leaves.");
#endif
    QFETCH(int, budgetMiB);
    QFETCH(bool, retry);
    const QString body(4000000, u'x');
    const QString path = m_fixture.writeFile("huge.vnt", noteWithBody(body));
    const auto window = AppFixture::showWindow(m_fixture.writeFile("shown.vnt", sampleNote()));
    ModalAnswerer answerer;
    std::optional<ResourceLimit> budget;
    budget.emplace(RLIMIT_AS, ResourceLimit::mappedPlus(qint64(budgetMiB) * 1024 * 1024));
    if (retry)
        answerer.queue(ModalAnswerer::click(QMessageBox::Retry, [&] { budget.reset(); }));
    else
        answerer.queue(ModalAnswerer::click(QMessageBox::Cancel));
    window->LoadNoteFile(path);
    budget.reset();

    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].text, path + ReadFailure);
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(answerer.seen[0].detail,
             TextFileReader::outOfMemory().description() + QStringLiteral("\nКод ошибки: 14"));
    if (retry) {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [huge.vnt]"));
        QCOMPARE(window->txtBody->toPlainText(), body);
    } else {
        QVERIFY(viewIsEmpty(*window));
        window->LoadNoteFile(m_fixture.file("shown.vnt"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [shown.vnt]"));
    }
}

void TestLoading::acceptedTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my shopping list.vnt";
    QTest::newRow("Cyrillic, upper-case extension") << "Заметка.VNT";
}

void TestLoading::acceptedTitle()
{
    QFETCH(QString, name);
    const QString path = m_fixture.writeFile("sub dir/" + name, sampleNote());
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    window->LoadNoteFile(path);
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [") + name + u']');
    QCOMPARE(window->txtVersion->text(), QStringLiteral("1.1"));
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("Привет"));
    QCOMPARE(window->txtDateModified->text(),
             FormatStamp(QStringLiteral("20130705T183000"), DateDisplay()));
}

void TestLoading::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("opened"); // the path read, when anything is
    QTest::addColumn<bool>("accepted");
    const QString note = m_fixture.writeFile("cmd note.vnt", sampleNote());
    const QString quoteInName = m_fixture.writeFile("a\"b.vnt", sampleNote());
    const QString none;
    QTest::newRow("no arguments") << QStringList{} << none << false;
    QTest::newRow("blanks and line ends") << QStringList{" \t\r\n "} << none << false;
    QTest::newRow("a pair of quotes") << QStringList{"\"\""} << none << false;
    QTest::newRow("path with a blank, unquoted") << note.split(u' ') << note << true;
    QTest::newRow("blanks around") << QStringList{"\t ", note, "\r\n"} << note << true;
    QTest::newRow("quoted") << QStringList{u'"' + note + u'"'} << note << true;
    QTest::newRow("quoted, blanks outside") << QStringList{" \"" + note + "\"\t"} << note << true;
    QTest::newRow("quote inside the name") << QStringList{quoteInName} << quoteInName << true;
    QTest::newRow("two names form one path")
        << QStringList{note, note} << note + u' ' + note << false;
    QTest::newRow("relative, unchanged") << QStringList{"no/such.vnt"} << "no/such.vnt" << false;
}

void TestLoading::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(bool, accepted);
    ModalAnswerer answerer;
    const auto window =
        AppFixture::showWindow(qvCommandLine(QStringList{QStringLiteral("quillet")} + arguments));
    QVERIFY(!window->tmrDoIt->isActive());
    if (accepted) {
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Quillet [%1]").arg(QFileInfo(opened).fileName()));
        QVERIFY(answerer.seen.isEmpty());
    } else if (!opened.isEmpty()) {
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, opened + ReadFailure);
    } else {
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY(viewIsEmpty(*window));
        QCOMPARE(window->focusWidget(), window->txtVersion);
    }
    // The timer ticks once per run.
    QTest::qWait(20);
    QCOMPARE(answerer.seen.size(), !accepted && !opened.isEmpty() ? 1 : 0);
}

void TestLoading::openDialog()
{
    const QString first = m_fixture.writeFile("first/one.vnt", sampleNote("1"));
    const QString second = m_fixture.writeFile("second/gone.VNT", sampleNote("2"));
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::pickFile(first));
    QTest::keyClick(window->txtVersion, Qt::Key_F3);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [one.vnt]"));
    QCOMPARE(lastDirectory(), QFileInfo(first).absolutePath());

    // Cancelled: nothing changes.
    window->mnuFile[0]->trigger();
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [one.vnt]"));

    // A pick that cannot be read: its folder is remembered all the same.
    answerer.queue(ModalAnswerer::pickFile(second, [&] { QFile::remove(second); }));
    answerer.queue(ModalAnswerer::click(QMessageBox::Cancel));
    window->mnuFile[0]->trigger();
    QVERIFY(viewIsEmpty(*window));
    QCOMPARE(lastDirectory(), QFileInfo(second).absolutePath());

    QCOMPARE(answerer.seen.size(), 4);
    QCOMPARE(answerer.seen[0].className, QStringLiteral("QFileDialog"));
    QCOMPARE(answerer.seen[1].directory, QFileInfo(first).absolutePath());
    QCOMPARE(answerer.seen[2].directory, QFileInfo(first).absolutePath());
    QCOMPARE(answerer.seen[3].text, second + ReadFailure);
    QCOMPARE(answerer.seen[0].nameFilters,
             OpenFileDialog::nameFilters(QStringLiteral("Файлы VNT|*.VNT|Все файлы|*.*")));
}

void TestLoading::filterMatchesAnyCase_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("asNote");
    QTest::addColumn<bool>("withNotes"); // in "Все файлы с заметками", with every layout read
    QTest::newRow("lower case") << "memo.vnt" << true << true;
    QTest::newRow("upper case") << "MEMO.VNT" << true << true;
    QTest::newRow("mixed case") << "Memo.Vnt" << true << true;
    QTest::newRow("other extension") << "memo.txt" << false << false;
    QTest::newRow("extension inside") << "memo.vnt.bak" << false << false;
    QTest::newRow("no dot") << "README" << false << false;
    QTest::newRow("calendar") << "memos.Vcs" << false << true;
    QTest::newRow("journal") << "journal.ICS" << false << true;
    QTest::newRow("Nokia backup") << "phone.nbu" << false << true;
    QTest::newRow("Gammu backup") << "phone.BACKUP" << false << true;
}

// As the dialog's file list matches them: wildcards, letter case significant.
void TestLoading::filterMatchesAnyCase()
{
    QFETCH(QString, fileName);
    QFETCH(bool, asNote);
    QFETCH(bool, withNotes);
    const QStringList filters =
        OpenFileDialog::nameFilters(QStringLiteral("Файлы VNT|*.VNT|Все файлы|*.*"));
    const auto passes = [&](const QString &filter, const QString &label) {
        const auto parts = QRegularExpression(QStringLiteral("^(.*) \\((.*)\\)$")).match(filter);
        const QStringList patterns = parts.captured(2).split(u' ');
        return parts.captured(1) == label &&
               std::any_of(patterns.begin(), patterns.end(), [&](const QString &pattern) {
                   return QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive)
                       .match(fileName)
                       .hasMatch();
               });
    };
    QCOMPARE(filters.size(), 2);
    QCOMPARE(passes(filters[0], QStringLiteral("Файлы VNT")), asNote);
    QVERIFY(passes(filters[1], QStringLiteral("Все файлы")));
    QCOMPARE(OpenFileDialog::nameFilters(openDialogFilter(false)), filters);

    const QStringList every = OpenFileDialog::nameFilters(openDialogFilter(true));
    QCOMPARE(every.size(), 3);
    QCOMPARE(passes(every[0], QStringLiteral("Файлы VNT")), asNote);
    QCOMPARE(passes(every[1], QStringLiteral("Все файлы с заметками")), withNotes);
    QVERIFY(passes(every[2], QStringLiteral("Все файлы")));
}

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"

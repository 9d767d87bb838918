// SPDX-License-Identifier: GPL-3.0-or-later
// The search window: results and counts, showing a result, new keystrokes and closing, the
// keyboard, and a folder of 100,000 files.

#include "appfixture.h"
#include "frmsearch.h"
#include "hostileinputs.h"
#include "modalanswerer.h"
#include "notefolder.h"
#include "notefolderfixture.h"
#include "parsenote.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define QUILLET_SANITIZED
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define QUILLET_SANITIZED
#endif
#endif

namespace {

// A search still running after this long is taken to hang: far longer than any search here
// takes, also under ThreadSanitizer on a busy machine. No row here measures speed.
constexpr int SearchHangsAfterMs = 120000;

QStringList column(const frmSearch &search, int column)
{
    QStringList texts;
    const SearchResultsModel &results = search.results();
    for (int row = 0; row < results.rowCount(); ++row)
        texts += results.data(results.index(row, column), Qt::DisplayRole).toString();
    return texts;
}

// Types `text` key by key, as a keyboard of any layout does.
void type(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

// Types `query` into the search window of `window` and waits for the search to end.
frmSearch *find(frmMain &window, const QString &query)
{
    window.FindInNotes();
    frmSearch *search = window.searchWindow();
    search->txtQuery->clear();
    type(search->txtQuery, query);
    if (!QTest::qWaitFor([&] { return !search->isSearching(); }, SearchHangsAfterMs))
        qWarning("The search did not end");
    return search;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void resultsAndCounts_data();
    void resultsAndCounts();
    void showsAndSelects_data();
    void showsAndSelects();
    void restartsAndStops();
    void folderWithoutNoteShown();
    void hundredThousandFiles();

private:
    AppFixture m_fixture;
};

void TestSearch::resultsAndCounts_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<bool>("setWhileOpen"); // the setting changed after a first, strict search
    QTest::addColumn<QStringList>("files");
    const QStringList strict{"alias.vnt", u"caf\uFFFD.VNT"_qs, "memo1.vnt", "memo10.vnt",
                             u"new\u240Aline.vnt"_qs};
    const QStringList all = strict + QStringList{"other.vnt", "several.vnt (2/2)"};
    QTest::newRow("strict") << false << false << strict;
    QTest::newRow("lenient") << true << false << all;
    QTest::newRow("lenient, set while the window is open") << true << true << all;
}

// A phone's memo folder with strangers in it: the matching notes listed once each, in a file
// manager's order, their names shown safely; the files that are no notes counted and said so;
// nothing written to any of them.
void TestSearch::resultsAndCounts()
{
    QFETCH(bool, lenient);
    QFETCH(bool, setWhileOpen);
    QFETCH(QStringList, files);
    const NoteFolderFixture folder;
    folder.add("memo10.vnt", escapedNote("ключ под ковриком"));
    folder.add("memo2.vnt", escapedNote("купить хлеб"));
    folder.add("memo1.vnt", escapedNote("Ключ от подвала"));
    folder.add("alias.vnt", FolderEntry::Link, "memo1.vnt");
    folder.add("new\nline.vnt", escapedNote("ключи"));
    folder.add(u"caf\xDCE9.VNT"_qs, escapedNote("КЛЮЧ"));
    folder.add("notes.txt", escapedNote("ключ"));
    folder.add("other.vnt", plainBodyNote("\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87"));
    folder.add("several.vnt", notesInOneFile({"хлеб", "ключ"}));
    folder.add("garbage.vnt", FolderEntry::Garbage);
    folder.add("huge.vnt", FolderEntry::LargeBinary);
    folder.add("pipe.vnt", FolderEntry::Fifo);
    folder.add("x.vnt", FolderEntry::Directory);
    folder.add("zero.vnt", FolderEntry::Link, "/dev/zero");
    QList<FileState> before;
    const QStringList entries = listFolder(folder.path()).notes;
    for (const QString &entry : entries)
        before += FileState::of(entry);

    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo2.vnt"));
    if (lenient && !setWhileOpen)
        window->mnuSettings[1]->trigger();
    ModalAnswerer answerer;
    const frmSearch *search = find(*window, QStringLiteral("ключ"));
    if (setWhileOpen) {
        // The query stays; bringing the window up again searches anew in the new reading.
        window->mnuSettings[1]->trigger();
        window->mnuFile[3]->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    }
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(column(*search, SearchResultsModel::FileColumn), files);
    QCOMPARE(search->searched(), 12);
    QCOMPARE(search->skipped(), 4); // garbage, huge, pipe, zero
    QVERIFY2(search->lblStatus->text().contains(u"Пропущено: 4"),
             qPrintable(search->lblStatus->text()));
    // The date as the window shows it.
    QCOMPARE(column(*search, SearchResultsModel::ModifiedColumn).first(),
             window->txtDateModified->text());
    QCOMPARE(column(*search, SearchResultsModel::ExcerptColumn).at(2),
             QStringLiteral("Ключ от подвала"));
    for (qsizetype i = 0; i < entries.size(); ++i)
        QCOMPARE(FileState::of(entries[i]), before[i]);
}

void TestSearch::showsAndSelects_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("selected");
    QTest::newRow("in the body, Enter") << u"елка"_qs << false << u"[b.vnt]"_qs << "Ёлка";
    QTest::newRow("in the body, double click") << u"ЁЛКА"_qs << true << u"[b.vnt]"_qs << "Ёлка";
    QTest::newRow("in the version") << u"9.9"_qs << false << u"[c.vnt]"_qs << "9.9";
    QTest::newRow("a file's third note")
        << u"третья"_qs << false << u"[d.vnt] (3/3)"_qs << "третья";
}

// Ctrl+F focuses the field and Down the results; the result shown, its match is selected and
// scrolled to, the search window staying open until Escape.
void TestSearch::showsAndSelects()
{
    QFETCH(QString, query);
    QFETCH(bool, byMouse);
    QFETCH(QString, title);
    QFETCH(QString, selected);
    const NoteFolderFixture folder;
    folder.add("a.vnt", escapedNote("хлеб"));
    folder.add("b.vnt", escapedNote(QString(40, u'\n') + QStringLiteral("Купить: Ёлка, гирлянда")));
    folder.add("c.vnt", escapedNote("хлеб", "9.9"));
    folder.add("d.vnt", notesInOneFile({"первая", "вторая", "третья"}));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/a.vnt"));
    window->mnuSettings[1]->trigger();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->txtBody, Qt::Key_F, Qt::ControlModifier);
    frmSearch *search = window->searchWindow();
    QTRY_COMPARE(QApplication::focusWidget(), search->txtQuery);
    type(search->txtQuery, query);
    QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    QCOMPARE(search->results().rowCount(), 1);

    if (byMouse) {
        const QRect row = search->lstResults->visualRect(search->results().index(0, 0));
        // A click, then the second click that makes it a double click.
        QTest::mouseClick(search->lstResults->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(search->lstResults->viewport(), Qt::LeftButton, {}, row.center());
    } else {
        QTest::keyClick(search->txtQuery, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), search->lstResults);
        QTest::keyClick(search->lstResults, Qt::Key_Return);
    }
    QTRY_COMPARE(window->windowTitle(), "Quillet " + title);
    if (auto *line = qobject_cast<QLineEdit *>(window->focusWidget())) {
        QCOMPARE(line->selectedText(), selected);
    } else {
        QCOMPARE(window->focusWidget(), window->txtBody);
        QCOMPARE(window->txtBody->textCursor().selectedText(), selected);
        // Scrolled to the match, forty lines down.
        QVERIFY(window->txtBody->verticalScrollBar()->value() > 0 || !title.contains(u"b.vnt"));
    }
    QVERIFY(search->isVisible());
    QTest::keyClick(search->lstResults, Qt::Key_Escape);
    QVERIFY(!search->isVisible());
}

// Each keystroke starts the search anew: only the last query's results stay, each once. Closing
// the window stops the search; opened again, it searches again to the end.
void TestSearch::restartsAndStops()
{
    const NoteFolderFixture folder;
    for (int i = 1; i <= 2000; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i),
                   escapedNote(i % 3 == 0 ? QStringLiteral("код %1").arg(i) : u"кот"_qs));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo1.vnt"));
    frmSearch *search = find(*window, QStringLiteral("ко"));
    QCOMPARE(search->results().rowCount(), 2000);
    // One keystroke after the search has ended, two while one is under way.
    type(search->txtQuery, QStringLiteral("т"));
    QTest::qWait(1);
    search->txtQuery->backspace();
    type(search->txtQuery, QStringLiteral("д"));
    QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    const QStringList files = column(*search, SearchResultsModel::FileColumn);
    QCOMPARE(QSet<QString>(files.begin(), files.end()).size(), 666);
    QCOMPARE(files.size(), 666);
    QCOMPARE(files.first(), QStringLiteral("memo3.vnt"));
    QCOMPARE(files.last(), QStringLiteral("memo1998.vnt"));
    QCOMPARE(search->searched(), 2000);

    search->txtQuery->setText(QStringLiteral("ко"));
    search->close();
    QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    QVERIFY(search->searched() < 2000);
    window->mnuFile[3]->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    QCOMPARE(search->searched(), 2000);
    QCOMPARE(search->results().rowCount(), 2000);
}

// With no note shown, the open dialog's remembered folder is searched.
void TestSearch::folderWithoutNoteShown()
{
    const NoteFolderFixture folder;
    folder.add("memo1.vnt", escapedNote("код"));
    QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("OFN Paths/Last open VNT directory"), folder.path());
    const auto window = AppFixture::showWindow();
    const frmSearch *search = find(*window, QStringLiteral("код"));
    QCOMPARE(search->folder(), folder.path());
    QCOMPARE(search->results().rowCount(), 1);
}

// A folder of 100,000 files, nearly all of them no notes: the window goes on handling events
// while the folder is listed and searched, and stepping and finding both come to the right end.
// Under a sanitizer, where each read costs many times more, a tenth of them.
void TestSearch::hundredThousandFiles()
{
#ifdef QUILLET_SANITIZED
    constexpr int Files = 10000;
#else
    constexpr int Files = 100000;
#endif
    constexpr int NoteEvery = Files / 10;
    const NoteFolderFixture folder;
    for (int i = 1; i <= Files; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i),
                   i % NoteEvery == 0 ? escapedNote("код") : QByteArray());
    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    const QString first = QStringLiteral("memo%1.vnt").arg(NoteEvery);
    const auto window = AppFixture::showWindow(folder.path() + u'/' + first);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [%1]").arg(first));
    window->mnuFile[1]->trigger();
    // The next file is empty: the usual box.
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 60000);
    QCOMPARE(answerer.seen[0].text, beginMarkerMissingMessage());

    window->FindInNotes();
    frmSearch *search = window->searchWindow();
    type(search->txtQuery, QStringLiteral("код"));
    bool handledWhileSearching = false;
    QTimer::singleShot(0, search, [&] { handledWhileSearching = search->isSearching(); });
    QTRY_VERIFY_WITH_TIMEOUT(!search->isSearching(), SearchHangsAfterMs);
    QVERIFY(handledWhileSearching);
    QCOMPARE(search->results().rowCount(), 10);
    QCOMPARE(search->searched(), Files);
    QCOMPARE(search->skipped(), Files - 10);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The note list's filter: what it finds and counts, its keys, the matches in the note shown, new
// keystrokes and a changed setting while it runs, and a folder of 100,000 files.

#include "appfixture.h"
#include "hostileinputs.h"
#include "listfixture.h"
#include "modalanswerer.h"
#include "notefolder.h"
#include "notefolderfixture.h"
#include "parsenote.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define QUILLET_SANITIZED
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define QUILLET_SANITIZED
#endif
#endif

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void findsAndCounts_data();
    void findsAndCounts();
    void keys();
    void matchesInTheNote();
    void restartsWithEachKeystroke();
    void settingRestartsTheFilter();
    void folderWithoutNoteShown();
    void hundredThousandFiles();

private:
    AppFixture m_fixture;
};

void TestSearch::findsAndCounts_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("count");
    const QStringList common{"alias.vnt",  u"caf\uFFFD.VNT"_qs,     "memo1.vnt",
                             "memo10.vnt", u"new\u240Aline.vnt"_qs, "other.vnt"};
    // Read strictly, the file of two notes shows none of their text: it is found by the text
    // of the other layout.
    QTest::newRow("strict") << false << common + QStringList{"several.vnt"} << "Найдено: 7 из 12";
    QTest::newRow("lenient") << true << common + QStringList{"several.vnt (2/2)"}
                             << "Найдено: 7 из 13";
}

// A phone's memo folder with strangers in it: the matching notes listed once each, in a file
// manager's order, with the text around the match; a note in another layout found by its text
// and marked so; nothing written to any file.
void TestSearch::findsAndCounts()
{
    QFETCH(bool, lenient);
    QFETCH(QStringList, files);
    QFETCH(QString, count);
    const NoteFolderFixture folder;
    folder.add("memo10.vnt", escapedNote("ключ под ковриком"));
    folder.add("memo2.vnt", escapedNote("купить хлеб"));
    folder.add("memo1.vnt", escapedNote("Где ключ от подвала?"));
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
    if (lenient)
        window->mnuSettings[1]->trigger();
    ModalAnswerer answerer;
    QVERIFY(listRead(*window));
    QVERIFY(filterFor(*window, QStringLiteral("ключ")));
    QVERIFY(answerer.seen.isEmpty());
    const NoteListPanel &list = *window->pnlNotes;
    QCOMPARE(shownColumn(list, NoteListModel::FileColumn), files);
    QCOMPARE(list.lblCount->text(), count);
    const QStringList texts = shownColumn(list, NoteListModel::TextColumn);
    QCOMPARE(texts.at(2), QStringLiteral("Где ключ от подвала?"));
    const QModelIndex third = list.lstNotes->model()->index(2, NoteListModel::TextColumn);
    QCOMPARE(third.data(NoteListModel::MatchStartRole).toInt(), 4);
    QCOMPARE(third.data(NoteListModel::MatchLengthRole).toInt(), 4);
    QCOMPARE(shownColumn(list, NoteListModel::TitleColumn).at(5),
             lenient ? QStringLiteral("ключ") : QStringLiteral("другой формат"));
    QVERIFY(!list.lstNotes->isColumnHidden(NoteListModel::TextColumn));
    for (qsizetype i = 0; i < entries.size(); ++i)
        QCOMPARE(FileState::of(entries[i]), before[i]);

    window->pnlNotes->txtFilter->clear();
    QCOMPARE(list.lblCount->text(), QStringLiteral("Заметок: %1").arg(count.section(u' ', 3)));
    QVERIFY(list.lstNotes->isColumnHidden(NoteListModel::TextColumn));
}

// Ctrl+F to the filter, Down to the list, Enter shows the note and the list keeps the focus;
// Escape goes from the list to the filter, empties the filter, then goes to the note, where it
// closes the window. Tab goes from the filter to the list and on to the fields.
void TestSearch::keys()
{
    const NoteFolderFixture folder;
    folder.add("a.vnt", escapedNote("хлеб"));
    folder.add("b.vnt", escapedNote("ёлка"));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/a.vnt"));
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->txtBody, Qt::Key_F, Qt::ControlModifier);
    NoteListPanel &list = *window->pnlNotes;
    QCOMPARE(QApplication::focusWidget(), list.txtFilter);
    QTRY_VERIFY(!list.folder().isEmpty());
    const QList<QWidget *> order{list.lstNotes,          window->txtVersion,
                                 window->txtDateCreated, window->txtDateModified,
                                 window->txtBody,        list.txtFilter};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    typeText(list.txtFilter, QStringLiteral("ЕЛКА"));
    QVERIFY(listSettles(list));
    QTest::keyClick(list.txtFilter, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), list.lstNotes);
    QTest::keyClick(list.lstNotes, Qt::Key_Return);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [b.vnt]"));
    QCOMPARE(QApplication::focusWidget(), list.lstNotes);

    QTest::keyClick(list.lstNotes, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), list.txtFilter);
    QTest::keyClick(list.txtFilter, Qt::Key_Escape);
    QVERIFY(list.txtFilter->text().isEmpty());
    QVERIFY(window->isVisible());
    QTest::keyClick(list.txtFilter, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), window->txtBody);
    QVERIFY(window->isVisible());
    QTest::keyClick(window->txtBody, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
}

// The filter's matches in the note shown are marked, the first selected and scrolled to; Ctrl+G
// and Ctrl+Shift+G go from one to the next, round past either end. Line breaks of two characters
// count as the one the field holds.
void TestSearch::matchesInTheNote()
{
    const NoteFolderFixture folder;
    const QString body = QString(40, u'\n') + QStringLiteral("Ёлка\r\nелка, ЕЛКА\r\n") +
                         QString(40, u'\n') + QStringLiteral("и ещё ёлка");
    folder.add("a.vnt", escapedNote(body));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/a.vnt"));
    QVERIFY(filterFor(*window, QStringLiteral("елка")));
    QTRY_VERIFY(!window->isFindingMatches());
    // Let through by the filter, the row of the note on show is selected again.
    const QModelIndex current = window->pnlNotes->lstNotes->currentIndex();
    QCOMPARE(current.siblingAtColumn(NoteListModel::FileColumn).data().toString(), "a.vnt");
    QVERIFY(window->pnlNotes->lstNotes->selectionModel()->isRowSelected(current.row(), {}));
    const QString shown = window->txtBody->toPlainText();
    QCOMPARE(window->bodyMatches().size(), 4);
    QCOMPARE(window->txtBody->extraSelections().size(), 4);
    for (const qsizetype at : window->bodyMatches())
        QCOMPARE(shown.mid(at, 4).toLower().replace(u'ё', u'е'), QStringLiteral("елка"));
    QCOMPARE(window->txtBody->textCursor().selectionStart(), window->bodyMatches()[0]);
    QVERIFY(window->txtBody->verticalScrollBar()->value() > 0);

    const auto selected = [&] {
        return window->txtBody->textCursor().selectionStart();
    };
    for (const int index : {1, 2, 3, 0}) {
        QTest::keyClick(window->txtBody, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(selected(), window->bodyMatches()[index]);
        QCOMPARE(window->txtBody->textCursor().selectedText().size(), 4);
    }
    QTest::keyClick(window->txtBody, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(selected(), window->bodyMatches()[3]);
    // F3 still opens a file, whatever the filter holds.
    ModalAnswerer answerer;
    QTest::keyClick(window->txtBody, Qt::Key_F3);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].className, QStringLiteral("QFileDialog"));

    window->pnlNotes->txtFilter->clear();
    QVERIFY(window->bodyMatches().isEmpty());
    QVERIFY(window->txtBody->extraSelections().isEmpty());
    QVERIFY(!window->mnuView[4]->isEnabled());
}

// Each keystroke starts the filter anew: only the last query's matches stay, each once.
void TestSearch::restartsWithEachKeystroke()
{
    const NoteFolderFixture folder;
    for (int i = 1; i <= 2000; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i),
                   escapedNote(i % 3 == 0 ? QStringLiteral("код %1").arg(i) : u"кот"_qs));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo1.vnt"));
    QVERIFY(listRead(*window));
    QVERIFY(filterFor(*window, QStringLiteral("ко")));
    const NoteListPanel &list = *window->pnlNotes;
    QCOMPARE(list.model().matchCount(), 2000);
    // One keystroke after the filter has ended, two while one is under way.
    typeText(list.txtFilter, QStringLiteral("т"));
    QTest::qWait(1);
    list.txtFilter->backspace();
    typeText(list.txtFilter, QStringLiteral("д"));
    QVERIFY(listSettles(list));
    const QStringList files = shownColumn(list, NoteListModel::FileColumn);
    QCOMPARE(QSet<QString>(files.begin(), files.end()).size(), 666);
    QCOMPARE(files.size(), 666);
    QCOMPARE(files.first(), QStringLiteral("memo3.vnt"));
    QCOMPARE(files.last(), QStringLiteral("memo1998.vnt"));
    QCOMPARE(list.lblCount->text(), QStringLiteral("Найдено: 666 из 2000"));
}

// Changing "Все форматы заметок" reads the rows again and starts a filter under way anew: the
// notes of the other layout are then found as notes of their own; the note on show stays.
void TestSearch::settingRestartsTheFilter()
{
    const NoteFolderFixture folder;
    for (int i = 1; i <= 300; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i), escapedNote(u"кот"_qs));
    folder.add("several.vnt", notesInOneFile({"код 1", "код 2"}));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo1.vnt"));
    QVERIFY(listRead(*window));
    NoteListPanel &list = *window->pnlNotes;
    window->FindInNotes();
    typeText(list.txtFilter, QStringLiteral("код"));
    window->mnuSettings[1]->trigger();
    QVERIFY(listSettles(list));
    QCOMPARE(shownColumn(list, NoteListModel::FileColumn),
             QStringList({"several.vnt (1/2)", "several.vnt (2/2)"}));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [memo1.vnt]"));
    window->mnuSettings[1]->trigger();
    QVERIFY(listSettles(list));
    QCOMPARE(shownColumn(list, NoteListModel::FileColumn), QStringList({"several.vnt"}));
}

// With no note shown, the list holds the open dialog's remembered folder.
void TestSearch::folderWithoutNoteShown()
{
    const NoteFolderFixture folder;
    folder.add("memo1.vnt", escapedNote("код"));
    folder.add("memo2.vnt", escapedNote("кот"));
    QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("OFN Paths/Last open VNT directory"), folder.path());
    const auto window = AppFixture::showWindow();
    window->FindInNotes();
    QTRY_COMPARE(window->pnlNotes->folder(), folder.path());
    QVERIFY(filterFor(*window, QStringLiteral("код")));
    QCOMPARE(shownColumn(*window->pnlNotes, NoteListModel::FileColumn), QStringList{"memo1.vnt"});
    QVERIFY(!window->mnuFile[1]->isEnabled());
}

// A folder of 100,000 files, nearly all of them no notes: the window goes on handling events
// while the folder is listed, read and filtered, and stepping and the filter both come to the
// right end. Under a sanitizer, where each read costs many times more, a tenth of them.
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
    NoteListPanel &list = *window->pnlNotes;
    typeText(list.txtFilter, QStringLiteral("код"));
    bool handledWhileWorking = false;
    QTimer::singleShot(0, &list,
                       [&] { handledWhileWorking = list.isReading() || list.isFiltering(); });
    QVERIFY(listSettles(list, 120000));
    QVERIFY(handledWhileWorking);
    QCOMPARE(list.model().rowCount(), Files);
    QCOMPARE(list.lblCount->text(), QStringLiteral("Найдено: 10 из %1").arg(Files));
    QCOMPARE(shownColumn(list, NoteListModel::FileColumn).last(),
             QStringLiteral("memo%1.vnt").arg(Files));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The note list: its rows and what it greys, sorting and stepping in its order, a file's several
// notes, a file found broken while stepping, the recent files, the hint of an empty window, zoom.

#include "appfixture.h"
#include "designedlayout.h"
#include "listfixture.h"
#include "modalanswerer.h"
#include "notefolderfixture.h"
#include "settingsstore.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QWheelEvent>

namespace {

// A note with its own modification stamp.
QByteArray noteModified(const QString &body, const QByteArray &stamp)
{
    return "BEGIN:VNOTE\r\nVERSION:1.1\r\nLAST-MODIFIED:" + stamp +
           "\r\nBODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n=" +
           body.toUtf8().toHex('=').toUpper() + "\r\nEND:VNOTE\r\n";
}

QStringList rowsOf(const NoteListPanel &list)
{
    QStringList rows;
    const QStringList titles = shownColumn(list, NoteListModel::TitleColumn);
    const QStringList files = shownColumn(list, NoteListModel::FileColumn);
    for (qsizetype i = 0; i < titles.size(); ++i)
        rows += titles[i] + QStringLiteral(" | ") + files[i];
    return rows;
}

bool isGreyed(const NoteListPanel &list, int row)
{
    return list.lstNotes->model()->index(row, 0).data(Qt::ForegroundRole).isValid();
}

} // namespace

class TestNoteList : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void rowsAndStates_data();
    void rowsAndStates();
    void sortAndStep();
    void brokenWhileStepping();
    void recentFiles();
    void startHint();
    void zoom_data();
    void zoom();

private:
    AppFixture m_fixture;
};

void TestNoteList::rowsAndStates_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QStringList>("rows"); // "title | file"
    const QStringList common{"Ключ от подвала | alias.vnt",  u"КЛЮЧ | caf\uFFFD.VNT"_qs,
                             "не заметка | garbage.vnt",     "Ключ от подвала | memo1.vnt",
                             "купить хлеб | memo2.vnt",      "ключ под ковриком | memo10.vnt",
                             u"ключи | new\u240Aline.vnt"_qs};
    QTest::newRow("strict") << false
                            << common + QStringList{"другой формат | other.vnt",
                                                    "не читается | pipe.vnt",
                                                    "другой формат | several.vnt",
                                                    "не читается | zero.vnt"};
    QTest::newRow("lenient") << true
                             << common + QStringList{
                                             "ключ | other.vnt",         "не читается | pipe.vnt",
                                             "хлеб | several.vnt (1/2)", "ключ | several.vnt (2/2)",
                                             "не читается | zero.vnt",   "ключ в журнале | zz.ics"};
}

// A phone's memo folder with strangers in it: a row for each note, in a file manager's order,
// names shown safely, titles by the export's rule; the files that show no note greyed with the
// reason; the row of the note on show selected.
void TestNoteList::rowsAndStates()
{
    QFETCH(bool, lenient);
    QFETCH(QStringList, rows);
    const NoteFolderFixture folder;
    folder.add("memo10.vnt", escapedNote("\n  ключ под ковриком\nи ещё"));
    folder.add("memo2.vnt", escapedNote("купить хлеб"));
    folder.add("memo1.vnt", escapedNote("Ключ от подвала"));
    folder.add("alias.vnt", FolderEntry::Link, "memo1.vnt");
    folder.add("new\nline.vnt", escapedNote("ключи"));
    folder.add(u"caf\xDCE9.VNT"_qs, escapedNote("КЛЮЧ"));
    folder.add("notes.txt", escapedNote("ключ"));
    folder.add("other.vnt", plainBodyNote("ключ"));
    folder.add("several.vnt", notesInOneFile({"хлеб", "ключ"}));
    folder.add("garbage.vnt", FolderEntry::Garbage);
    folder.add("pipe.vnt", FolderEntry::Fifo);
    folder.add("x.vnt", FolderEntry::Directory);
    folder.add("zero.vnt", FolderEntry::Link, "/dev/zero");
    // A calendar's memo: one of the folder's notes only where every layout is read.
    folder.add("zz.ics", QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VJOURNAL\r\n"
                                    "DESCRIPTION:ключ в журнале\r\nEND:VJOURNAL\r\n"
                                    "END:VCALENDAR\r\n"));

    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo2.vnt"));
    if (lenient)
        window->mnuSettings[1]->trigger();
    QVERIFY(listRead(*window));
    const NoteListPanel &list = *window->pnlNotes;
    QCOMPARE(rowsOf(list), rows);
    for (int row = 0; row < rows.size(); ++row) {
        const bool greyed = rows[row].startsWith(u"не ") || rows[row].startsWith(u"другой");
        QVERIFY2(isGreyed(list, row) == greyed, qPrintable(rows[row]));
    }
    // The date as the window shows it; the note on show selected.
    const QModelIndex current = list.lstNotes->currentIndex();
    QCOMPARE(current.siblingAtColumn(NoteListModel::FileColumn).data().toString(), "memo2.vnt");
    QCOMPARE(current.siblingAtColumn(NoteListModel::ModifiedColumn).data().toString(),
             window->txtDateModified->text());
    QCOMPARE(list.lblCount->text(), QStringLiteral("Заметок: %1").arg(rows.size()));
}

// A click on a header sorts by that column, again the other way; stepping follows the order and
// the filter. A note the filter leaves out steps to the rows around where it would stand.
void TestNoteList::sortAndStep()
{
    const NoteFolderFixture folder;
    folder.add("a.vnt", noteModified("Яблоко", "20130101T000000"));
    folder.add("b.vnt", noteModified("арбуз", "20110101T000000"));
    folder.add("c.vnt", noteModified("Банан", "20120101T000000"));
    folder.add("d.vnt", noteModified("2 дыни", "20140101T000000"));
    folder.add("e.vnt", noteModified("10 дынь", "20100101T000000"));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/b.vnt"));
    QVERIFY(listRead(*window));
    const NoteListPanel &list = *window->pnlNotes;
    QHeaderView *header = list.lstNotes->horizontalHeader();
    const auto click = [&](int column) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                   header->height() / 2));
    };
    const auto files = [&] {
        return shownColumn(list, NoteListModel::FileColumn).join(u' ');
    };
    QCOMPARE(files(), "a.vnt b.vnt c.vnt d.vnt e.vnt");
    click(NoteListModel::TitleColumn);
    QCOMPARE(files(), "d.vnt e.vnt b.vnt c.vnt a.vnt");
    click(NoteListModel::TitleColumn);
    QCOMPARE(files(), "a.vnt c.vnt b.vnt e.vnt d.vnt");
    click(NoteListModel::ModifiedColumn);
    QCOMPARE(files(), "e.vnt b.vnt c.vnt a.vnt d.vnt");

    // b, c, a, d, then the end.
    for (const char *next : {"c.vnt", "a.vnt", "d.vnt"}) {
        window->mnuFile[1]->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [%1]").arg(next));
    }
    QVERIFY(!window->mnuFile[1]->isEnabled());

    // Filtered: "ын" leaves d and e; from a, left out, forward is d and back is e.
    window->LoadNoteFile(folder.path() + QStringLiteral("/a.vnt"));
    QVERIFY(filterFor(*window, QStringLiteral("ын")));
    QCOMPARE(files(), "e.vnt d.vnt");
    window->mnuFile[1]->trigger();
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [d.vnt]"));
    QVERIFY(!window->mnuFile[1]->isEnabled());
    window->mnuFile[2]->trigger();
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [e.vnt]"));
    QVERIFY(!window->mnuFile[2]->isEnabled());
}

// A file that was a note when listed and is none when stepped to: its box, its name in the status
// bar, and its row greyed.
void TestNoteList::brokenWhileStepping()
{
    const NoteFolderFixture folder;
    folder.add("memo1.vnt", escapedNote("1"));
    folder.add("memo2.vnt", escapedNote("2"));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo1.vnt"));
    QVERIFY(listRead(*window));
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
    QFile file(folder.path() + QStringLiteral("/memo2.vnt"));
    QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(0) && file.write("garbage") == 7);
    file.close();
    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    window->mnuFile[1]->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("memo2.vnt: не заметка"));
    QCOMPARE(rowsOf(*window->pnlNotes).last(), QStringLiteral("не заметка | memo2.vnt"));
    QVERIFY(isGreyed(*window->pnlNotes, 1));
    window->mnuFile[2]->trigger();
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
}

// Notes and folders opened come first in the list, kept for the next run; an entry gone is
// loaded as any other, and leaves the list when its box is cancelled; captions show "&" as it is.
void TestNoteList::recentFiles()
{
    const QString note = m_fixture.writeFile("A & B/a.vnt", sampleNote());
    const QString other = m_fixture.writeFile("A & B/b.vnt", sampleNote());
    const QString folder = QFileInfo(note).absolutePath();
    {
        const auto window = AppFixture::showWindow(note);
        ModalAnswerer answerer;
        answerer.queue(ModalAnswerer::pickFile(folder));
        window->mnuFile[5]->trigger();
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Quillet [a.vnt]"));
        QVERIFY(window->pnlNotes->isVisible());
        window->OpenRecent(other);
        QCOMPARE(window->Recent, QStringList({other, folder, note}));
        window->close();
    }
    QVERIFY(QFile::remove(other));
    const auto window = AppFixture::showWindow();
    QCOMPARE(window->Recent, QStringList({other, folder, note}));
    const QList<QAction *> items = window->mnuRecent->actions();
    QCOMPARE(items.size(), 5);
    QVERIFY(items[1]->text().contains(u"A && B"));
    QVERIFY(items[3]->isSeparator());

    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::click(QMessageBox::Cancel));
    items[0]->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen[0].text.startsWith(other));
    QCOMPARE(window->Recent, QStringList({folder, note}));
    window->mnuRecent->actions().last()->trigger();
    QVERIFY(window->Recent.isEmpty());
    QVERIFY(!window->mnuFile[6]->isEnabled());
}

// Until a file has been tried: what to do, over the empty body, with the recent files as links;
// Export only with a note on show.
void TestNoteList::startHint()
{
    const QString note = m_fixture.writeFile("hint/a.vnt", sampleNote());
    QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Recent"), QStringList{note});
    const auto window = AppFixture::showWindow();
    QVERIFY(window->lblStart->isVisible());
    QVERIFY(window->lblStart->text().contains(u"Откройте заметку (F3) или папку (Ctrl+Shift+O), "
                                              u"или перетащите их в это окно."));
    QVERIFY(window->lblStart->text().contains(note));
    QVERIFY(window->txtBody->placeholderText().isEmpty());
    QVERIFY(!window->mnuFile[4]->isEnabled());
    QVERIFY(window->mnuFile[1]->isEnabled() == false);

    emit window->lblStart->linkActivated(QStringLiteral("0"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [a.vnt]"));
    QVERIFY(!window->lblStart->isVisible());
    QVERIFY(window->mnuFile[4]->isEnabled());
    ModalAnswerer answerer;
    window->LoadNoteFile(m_fixture.writeFile("hint/bad.vnt", "garbage"));
    QVERIFY(!window->mnuFile[4]->isEnabled());
    QVERIFY(!window->lblStart->isVisible());
}

void TestNoteList::zoom_data()
{
    QTest::addColumn<int>("steps"); // of Ctrl+= (negative: Ctrl+-)
    QTest::addColumn<int>("zoom");
    QTest::newRow("two larger") << 2 << 120;
    QTest::newRow("as far as it goes") << 30 << 300;
    QTest::newRow("smaller to the least") << -7 << 50;
}

// The layout and the font scale together, the captions clear of their fields; the window never
// larger than its screen; kept for the next run, and Ctrl+0 brings back the designed size.
void TestNoteList::zoom()
{
    QFETCH(int, steps);
    QFETCH(int, zoom);
    {
        const auto window = AppFixture::showWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(window->txtBody, steps > 0 ? Qt::Key_Equal : Qt::Key_Minus,
                            Qt::ControlModifier);
        QCOMPARE(window->Zoom, zoom);
        window->close();
    }
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(window->Zoom, zoom);
    QCOMPARE(window->font().pointSizeF(), 9.0 * zoom / 100);
    const auto px = [&](int twips, int percent) {
        return qRound(qRound(twips * window->logicalDpiY() / 1440.0) * percent / 100.0);
    };
    QCOMPARE(window->txtDateModified->pos(), QPoint(px(1140, zoom), px(1080, zoom)));
    for (QLabel *caption : window->lblTag)
        QVERIFY(caption->geometry().right() < window->txtVersion->x());
    QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));

    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->txtBody->viewport(), &wheel);
    QCOMPARE(window->Zoom, std::max(zoom - 10, 50));
    QTest::keyClick(window->txtBody, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(window->Zoom, 100);
    QTRY_COMPARE(window->txtDateModified->pos(), QPoint(px(1140, 100), px(1080, 100)));
}

QTEST_MAIN(TestNoteList)
#include "tst_notelist.moc"

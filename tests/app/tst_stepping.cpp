// SPDX-License-Identifier: GPL-3.0-or-later
// Stepping through a folder's notes: the order, the ends, the keys and the mouse's buttons, a list
// that follows the folder, failures that the next step goes on from, a file's several notes.

#include "appfixture.h"
#include "folderwatch.h"
#include "modalanswerer.h"
#include "notefolderfixture.h"

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

namespace {

QString titleOf(const QString &name)
{
    return QStringLiteral("Quillet [%1]").arg(name);
}

} // namespace

class TestStepping : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void orderAndEnds();
    void listFollowsTheFolder();
    void failureThenNext_data();
    void failureThenNext();
    void severalNotesInAFile();
    void dropFolder();

private:
    AppFixture m_fixture;
};

// In a file manager's order, a line break sorting as a blank does and a Latin-1 octet after the
// digits; forward by the key, back by the mouse's button. At either end the item is disabled, and
// nothing wraps.
void TestStepping::orderAndEnds()
{
    const QStringList order{"memo\n2.vnt", "memo1.vnt", "memo2.vnt", "memo10.vnt",
                            u"memo\xDCE9.vnt"_qs};
    const NoteFolderFixture folder;
    for (const QString &name : {order[3], order[4], order[2], order[0], order[1]})
        folder.add(name, escapedNote(QString::number(order.indexOf(name))));
    const auto window = AppFixture::showWindow(folder.path() + u'/' + order.first());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTRY_VERIFY(!window->mnuFile[2]->isEnabled());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QVERIFY(window->mnuFile[1]->isEnabled());
        QTest::keyClick(window->txtBody, Qt::Key_PageDown, Qt::ControlModifier);
        QTRY_COMPARE(window->windowTitle(), titleOf(order[i]));
        QCOMPARE(window->txtBody->toPlainText(), QString::number(i));
    }
    QTRY_VERIFY(!window->mnuFile[1]->isEnabled());

    for (qsizetype i = order.size() - 2; i >= 0; --i) {
        QVERIFY(window->mnuFile[2]->isEnabled());
        QTest::mouseClick(window->txtBody->viewport(), Qt::BackButton);
        QTRY_COMPARE(window->windowTitle(), titleOf(order[i]));
    }
    QTRY_VERIFY(!window->mnuFile[2]->isEnabled());
    QTest::mouseClick(window->txtBody->viewport(), Qt::ForwardButton);
    QTRY_COMPARE(window->windowTitle(), titleOf(order[1]));
}

// Notes added, renamed or removed meanwhile are seen at the next step, the shown one too. With
// the folder deleted, the note stays and the items tell that there is nowhere to go.
void TestStepping::listFollowsTheFolder()
{
    auto folder = std::make_unique<NoteFolderFixture>();
    const QString first = folder->add("memo1.vnt", escapedNote("1"));
    const QString third = folder->add("memo3.vnt", escapedNote("3"));
    const auto window = AppFixture::showWindow(first);
    QTRY_VERIFY(window->folderNotes().hasList());

    folder->add("memo2.vnt", escapedNote("2"));
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), titleOf("memo2.vnt"));

    QVERIFY(QFile::rename(third, folder->path() + QStringLiteral("/memo4.vnt")));
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), titleOf("memo4.vnt"));
    QTRY_VERIFY(!window->mnuFile[1]->isEnabled());

    // A note added after the last one enables the item again without a step.
    folder->add("memo5.vnt", escapedNote("5"));
    QTRY_VERIFY(window->mnuFile[1]->isEnabled());
    QVERIFY(QFile::remove(folder->path() + QStringLiteral("/memo4.vnt")));
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), titleOf("memo5.vnt"));

    folder.reset();
    QTRY_VERIFY(!window->mnuFile[2]->isEnabled());
    QCOMPARE(window->txtBody->toPlainText(), QStringLiteral("5"));
}

void TestStepping::failureThenNext_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("box"); // the start of the box's text; empty: the file's path
    QTest::newRow("not a note") << int(FolderEntry::Garbage) << "Маркер \"BEGIN:VNOTE\"";
    QTest::newRow("60 MB of zero bytes")
        << int(FolderEntry::LargeBinary) << "Маркер \"BEGIN:VNOTE\"";
    QTest::newRow("a FIFO") << int(FolderEntry::Fifo) << "";
    QTest::newRow("a link to /dev/zero") << int(FolderEntry::Link) << "";
}

// A note that cannot be shown gets the usual box; the view is emptied, and the next step goes on
// from that file, either way.
void TestStepping::failureThenNext()
{
    QFETCH(int, kind);
    QFETCH(QString, box);
    const NoteFolderFixture folder;
    folder.add("memo1.vnt", escapedNote("1"));
    const QString bad = folder.add("memo2.vnt", FolderEntry(kind), "/dev/zero");
    folder.add("memo3.vnt", escapedNote("3"));
    const auto window = AppFixture::showWindow(folder.path() + QStringLiteral("/memo1.vnt"));
    ModalAnswerer answerer;
    answerer.queue(box.isEmpty() ? ModalAnswerer::click(QMessageBox::Cancel)
                                 : ModalAnswerer::click(QMessageBox::Ok));
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(answerer.seen.size(), 1);
    QVERIFY2(answerer.seen[0].text.startsWith(box.isEmpty() ? bad : box),
             qPrintable(answerer.seen[0].text));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet"));

    QTRY_VERIFY(window->mnuFile[1]->isEnabled());
    window->mnuFile[1]->trigger();
    QTRY_COMPARE(window->windowTitle(), titleOf("memo3.vnt"));
    QCOMPARE(answerer.seen.size(), 1);
}

// Read leniently, a file's notes come one by one before the next file; going back, from the last.
void TestStepping::severalNotesInAFile()
{
    const NoteFolderFixture folder;
    folder.add("a.vnt", notesInOneFile({"один", "два", "три"}));
    folder.add("b.vnt", escapedNote("четыре"));
    const auto window = AppFixture::showWindow();
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(folder.path() + QStringLiteral("/a.vnt"));

    // Forward through the file and on, then one back: the step, the title, the body.
    const QList<std::tuple<int, QString, QString>> steps{{0, "a.vnt] (1/3)", "один"},
                                                         {1, "a.vnt] (2/3)", "два"},
                                                         {1, "a.vnt] (3/3)", "три"},
                                                         {1, "b.vnt]", "четыре"},
                                                         {2, "a.vnt] (3/3)", "три"}};
    for (const auto &[item, title, body] : steps) {
        if (item != 0)
            window->mnuFile[item]->trigger();
        QTRY_COMPARE(window->windowTitle(), "Quillet [" + title);
        QCOMPARE(window->txtBody->toPlainText(), body);
    }

    // Read strictly, the same file is one note again.
    window->mnuSettings[1]->trigger();
    window->LoadNoteFile(folder.path() + QStringLiteral("/a.vnt"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [a.vnt]"));
}

// A folder without notes is said to be; one with notes shows its first.
void TestStepping::dropFolder()
{
    const NoteFolderFixture folder;
    folder.add("x.vnt", FolderEntry::Directory);
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder.path())});
    const auto drop = [&] {
        QDragEnterEvent enter(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent dropped(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &dropped);
        return enter.isAccepted();
    };
    QVERIFY(drop());
    QTRY_COMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen[0].text.contains(folder.path()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet"));

    folder.add("memo10.vnt", escapedNote("10"));
    folder.add("memo9.vnt", escapedNote("9"));
    QVERIFY(drop());
    QTRY_COMPARE(window->windowTitle(), titleOf("memo9.vnt"));
    QCOMPARE(answerer.seen.size(), 1);
}

QTEST_MAIN(TestStepping)
#include "tst_stepping.moc"

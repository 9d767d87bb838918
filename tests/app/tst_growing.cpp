// SPDX-License-Identifier: GPL-3.0-or-later
// The window that grows, its names for a screen reader, Qt's own texts in Russian, and the
// setting that reads every note layout.

#include "appfixture.h"
#include "notefolderfixture.h"
#include "notelistpanel.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>

namespace {

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

} // namespace

class TestGrowing : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void stretches_data();
    void stretches();
    void accessibleNames();
    void qtTextsInRussian();
    void lenientSetting_data();
    void lenientSetting();
    void otherLayoutHint_data();
    void otherLayoutHint();

private:
    AppFixture m_fixture;
};

void TestGrowing::stretches_data()
{
    QTest::addColumn<QSize>("added");
    QTest::newRow("as designed") << QSize(0, 0);
    QTest::newRow("wider and taller") << QSize(240, 130);
    QTest::newRow("smaller than designed") << QSize(-100, -60);
}

// The designed size is the smallest; beyond it the three fields and the body stretch across and
// the body down, while the captions stay. The size is kept for the next run.
void TestGrowing::stretches()
{
    QFETCH(QSize, added);
    auto window = AppFixture::showWindow();
    const QSize designed = window->size();
    QCOMPARE(window->minimumSize(), designed);
    const QRect version = window->txtVersion->geometry();
    const QRect body = window->txtBody->geometry();
    const QRect caption = window->lblTag[2]->geometry();

    window->resize(designed + added);
    const QSize grown = added.expandedTo(QSize(0, 0));
    for (int run = 0; run < 2; ++run) {
        QTRY_COMPARE(window->size(), designed + grown);
        QTRY_COMPARE(window->txtVersion->geometry(), version.adjusted(0, 0, grown.width(), 0));
        QCOMPARE(window->txtDateModified->width(), version.width() + grown.width());
        QCOMPARE(window->txtBody->geometry(), body.adjusted(0, 0, grown.width(), grown.height()));
        QCOMPARE(window->lblTag[2]->geometry(), caption);
        window->close();
        window = AppFixture::showWindow();
    }
}

// Each field reachable by Tab, named for a screen reader; a caption's field is its buddy.
void TestGrowing::accessibleNames()
{
    const auto window = AppFixture::showWindow();
    window->FindInNotes();
    const NoteListPanel *list = window->pnlNotes;
    const QList<std::pair<QWidget *, QString>> fields{
        {window->txtVersion, "Версия"},        {window->txtDateCreated, "Создан"},
        {window->txtDateModified, "Изменён"},  {window->txtBody, "Текст заметки"},
        {list->txtFilter, "Найти в заметках"}, {list->lstNotes, "Список заметок"}};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QCOMPARE(accessibleName(fields[i].first), fields[i].second);
        QVERIFY(fields[i].first->focusPolicy() & Qt::TabFocus);
        if (i < 3)
            QCOMPARE(window->lblTag.at(int(i))->buddy(), fields[i].first);
    }
}

// Qt's own buttons speak Russian, as the rest of the window does.
void TestGrowing::qtTextsInRussian()
{
    const QMessageBox box(QMessageBox::Critical, QString(), QString(), QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
}

void TestGrowing::lenientSetting_data()
{
    QTest::addColumn<QString>("stored"); // empty: nothing stored
    QTest::addColumn<bool>("on");
    QTest::newRow("nothing stored") << "" << false;
    QTest::newRow("on") << "true" << true;
    QTest::newRow("unreadable") << "banana" << false;
}

// Saved with the other settings; toggled from the keyboard (Alt, the arrows, Enter), it is kept
// for the next run.
void TestGrowing::lenientSetting()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    if (!stored.isEmpty())
        QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("Lenient layouts"), stored);
    {
        const auto window = AppFixture::showWindow();
        QCOMPARE(window->LenientLayouts, on);
        QCOMPARE(window->mnuSettings[1]->isChecked(), on);
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->txtBody, Qt::Key_Alt, Qt::AltModifier);
        QTRY_VERIFY(window->menuBar()->activeAction() != nullptr);
        // As the window system would: to the open menu, else to the menu bar.
        for (const auto key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) {
            QWidget *popup = QApplication::activePopupWidget();
            QTest::keyClick(popup != nullptr ? popup : window->menuBar(), key);
        }
        QTRY_COMPARE(window->LenientLayouts, !on);
        window->close();
    }
    QCOMPARE(AppFixture::showWindow()->LenientLayouts, !on);
}

void TestGrowing::otherLayoutHint_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hinted");
    const QByteArray other = plainBodyNote("Where is my dog??");
    QTest::newRow("another layout, strict") << other << false << "" << true;
    QTest::newRow("another layout, lenient") << other << true << "Where is my dog??" << false;
    QTest::newRow("a body of blanks") << plainBodyNote("   ") << false << "" << false;
    QTest::newRow("no body at all")
        << QByteArray("BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n") << false << "" << false;
    QTest::newRow("the original layout") << escapedNote("Привет") << false << "Привет" << false;
}

// When the strict reading leaves a body empty that holds text, a grey hint points the way; it is
// no text of the note, and the next note takes it away.
void TestGrowing::otherLayoutHint()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, lenient);
    QFETCH(QString, body);
    QFETCH(bool, hinted);
    const auto window = AppFixture::showWindow();
    window->LenientLayouts = lenient;
    window->LoadNoteFile(m_fixture.writeFile("memo.vnt", content));
    QCOMPARE(window->txtBody->toPlainText(), body);
    QCOMPARE(window->txtBody->placeholderText().contains(u"Все форматы заметок"), hinted);
    window->LoadNoteFile(m_fixture.writeFile("other.vnt", escapedNote("x")));
    QVERIFY(window->txtBody->placeholderText().isEmpty());
}

QTEST_MAIN(TestGrowing)
#include "tst_growing.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: layout, focus, read-only fields, menus, keys, help, dropping a file.

#include "aboutbox.h"
#include "appfixture.h"
#include "longrunlayout.h"
#include "modalanswerer.h"
#include "notelistpanel.h"
#include "qvreadme.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextLayout>

namespace {

QWidget *control(frmMain &window, const QString &name)
{
    const QMap<QString, QWidget *> controls{
        {QStringLiteral("txtVersion"), window.txtVersion},
        {QStringLiteral("txtDateCreated"), window.txtDateCreated},
        {QStringLiteral("txtDateModified"), window.txtDateModified},
        {QStringLiteral("txtBody"), window.txtBody},
        {QStringLiteral("lblTag 0"), window.lblTag[0]},
        {QStringLiteral("lblTag 1"), window.lblTag[1]},
        {QStringLiteral("lblTag 2"), window.lblTag[2]}};
    return controls.value(name);
}

QString textOf(QWidget *field)
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        return line->text();
    return qobject_cast<QPlainTextEdit *>(field)->toPlainText();
}

// Receives the URLs that the desktop would be asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

const QStringList Fields{"txtVersion", "txtDateCreated", "txtDateModified", "txtBody"};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void layout_data();
    void layout();
    void tabOrder();
    void readOnlyFields_data();
    void readOnlyFields();
    void menuTree_data();
    void menuTree();
    void shortcuts_data();
    void shortcuts();
    void escape_data();
    void escape();
    void guideMissing();
    void contents_data();
    void contents();
    void aboutIsOneBoxForTheRun();
    void longLines_data();
    void longLines();
    void drop_data();
    void drop();
    void paragraphDirection_data();
    void paragraphDirection();

private:
    AppFixture m_fixture;
};

void TestWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // an empty size: the label's own
    QTest::addColumn<QString>("caption");
    QTest::newRow("lblTag 0") << "lblTag 0" << QRect(180, 165, 0, 0) << "Версия:";
    QTest::newRow("txtVersion") << "txtVersion" << QRect(1140, 120, 4515, 375) << "";
    QTest::newRow("lblTag 1") << "lblTag 1" << QRect(180, 645, 0, 0) << "Создан:";
    QTest::newRow("txtDateCreated") << "txtDateCreated" << QRect(1140, 600, 4515, 375) << "";
    QTest::newRow("lblTag 2") << "lblTag 2" << QRect(180, 1125, 0, 0) << "Изменён:";
    QTest::newRow("txtDateModified") << "txtDateModified" << QRect(1140, 1080, 4515, 375) << "";
    QTest::newRow("txtBody") << "txtBody" << QRect(120, 1560, 5535, 3015) << "";
}

void TestWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    const auto window = AppFixture::showWindow();
    const auto px = [&](int value) {
        return qRound(value * window->logicalDpiY() / 1440.0);
    };
    QWidget *widget = control(*window, name);
    QCOMPARE(widget->pos(), QPoint(px(twips.left()), px(twips.top())));
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY(label->geometry().right() < px(1140));
    } else {
        QCOMPARE(widget->size(), QSize(px(twips.width()), px(twips.height())));
    }
    // The client area lies under the menu bar, at its designed size, the status bar below it.
    QCOMPARE(window->clientArea()->size(), QSize(px(5775), px(4695)));
    const QRect client(window->clientArea()->mapTo(window.get(), QPoint()),
                       window->clientArea()->size());
    QCOMPARE(client.top(), window->menuBar()->geometry().bottom() + 1);
    QVERIFY(window->statusBar()->isVisible());
    QCOMPARE(window->statusBar()->geometry().top(), client.bottom() + 1);
}

void TestWindow::tabOrder()
{
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window->txtVersion);
    for (const QString &next : Fields.mid(1) + Fields.first(1)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control(*window, next));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window->txtBody);
}

void TestWindow::readOnlyFields_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : Fields)
        QTest::newRow(qPrintable(name)) << name;
}

void TestWindow::readOnlyFields()
{
    QFETCH(QString, name);
    const auto window = AppFixture::showWindow(m_fixture.writeFile("note.vnt", sampleNote()));
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QWidget *field = control(*window, name);
    const QString before = textOf(field);
    QVERIFY(!before.isEmpty());
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("xyz"));
    for (const auto key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return})
        QTest::keyClick(field, key);
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(textOf(field), before);
    // The caret still moves and selects, for copying.
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    const auto *line = qobject_cast<QLineEdit *>(field);
    QCOMPARE(line ? line->selectedText() : window->txtBody->textCursor().selectedText(), before);
    QCOMPARE(field->palette().color(QPalette::Base), window->palette().color(QPalette::Window));
}

void TestWindow::menuTree_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("caption"); // empty: a separator
    QTest::addColumn<QList<QKeySequence>>("shortcuts");
    const auto keys = [](std::initializer_list<QKeyCombination> combinations) {
        QList<QKeySequence> sequences;
        for (const QKeyCombination combination : combinations)
            sequences.append(QKeySequence(combination));
        return sequences;
    };
    QTest::newRow("File > Open") << 0 << "Файл" << 0 << "Открыть..." << keys({Qt::Key_F3});
    QTest::newRow("File > Open folder")
        << 0 << "Файл" << 5 << "Открыть папку..." << keys({Qt::CTRL | Qt::SHIFT | Qt::Key_O});
    QTest::newRow("File > Recent") << 0 << "Файл" << 6 << "Недавние" << keys({});
    QTest::newRow("File > Find") << 0 << "Файл" << 3 << "Найти в заметках..."
                                 << keys({Qt::CTRL | Qt::Key_F});
    QTest::newRow("File > separator") << 0 << "Файл" << 98 << "" << keys({});
    QTest::newRow("File > Exit") << 0 << "Файл" << 99 << "Выход\tEsc" << keys({});
    QTest::newRow("Settings > Short date") << 1 << "Настройки" << 0 << "Короткая дата" << keys({});
    QTest::newRow("View > Note list") << 2 << "Вид" << 0 << "Список заметок" << keys({Qt::Key_F9});
    QTest::newRow("View > Larger") << 2 << "Вид" << 1 << "Крупнее"
                                   << keys({Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal});
    QTest::newRow("View > Smaller")
        << 2 << "Вид" << 2 << "Мельче" << keys({Qt::CTRL | Qt::Key_Minus});
    QTest::newRow("View > Normal size")
        << 2 << "Вид" << 3 << "Обычный размер" << keys({Qt::CTRL | Qt::Key_0});
    // Exactly these: the platform's "find next" would take F3 too, which opens a file.
    QTest::newRow("View > Next match")
        << 2 << "Вид" << 4 << "Следующее совпадение" << keys({Qt::CTRL | Qt::Key_G});
    QTest::newRow("View > Previous match")
        << 2 << "Вид" << 5 << "Предыдущее совпадение" << keys({Qt::CTRL | Qt::SHIFT | Qt::Key_G});
    QTest::newRow("Help > Contents")
        << 99 << "Справка" << 0 << "Содержание..." << keys({Qt::Key_F1});
    QTest::newRow("Help > separator") << 99 << "Справка" << 1 << "" << keys({});
    QTest::newRow("Help > About") << 99 << "Справка" << 2 << "О программе..."
                                  << keys({Qt::SHIFT | Qt::Key_F1});
}

void TestWindow::menuTree()
{
    QFETCH(int, menu);
    QFETCH(QString, menuCaption);
    QFETCH(int, item);
    QFETCH(QString, caption);
    QFETCH(QList<QKeySequence>, shortcuts);
    const auto window = AppFixture::showWindow();
    QCOMPARE(window->mnuMain.keys(), QList<int>({0, 1, 2, 99}));
    QCOMPARE(window->mnuMain[menu]->title(), menuCaption);
    const QMap<int, const QMap<int, QAction *> *> arrays{{0, &window->mnuFile},
                                                         {1, &window->mnuSettings},
                                                         {2, &window->mnuView},
                                                         {99, &window->mnuHelp}};
    const QMap<int, QAction *> &items = *arrays[menu];
    // Top to bottom, by index; -1 a separator of no index.
    const QMap<int, QList<int>> order{{0, {0, 5, 6, -1, 1, 2, 3, -1, 4, 98, 99}},
                                      {1, {0, 1}},
                                      {2, {0, -1, 1, 2, 3, -1, 4, 5}},
                                      {99, {0, 1, 2}}};
    const QList<QAction *> actions = window->mnuMain[menu]->actions();
    QCOMPARE(actions.size(), order[menu].size());
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const int index = order[menu][i];
        if (index < 0)
            QVERIFY(actions[i]->isSeparator() && !items.values().contains(actions[i]));
        else
            QCOMPARE(actions[i], items.value(index));
    }
    QAction *action = items.value(item);
    QVERIFY(action != nullptr);
    QCOMPARE(action->isSeparator(), caption.isEmpty());
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcuts(), shortcuts);
    QCOMPARE(action->isCheckable(), menu == 1 || (menu == 2 && item == 0));
    QCOMPARE(action->menu() != nullptr, menu == 0 && item == 6);

    // Help at the right end of the bar, File, Settings and View at its left.
    QMenuBar *bar = window->menuBar();
    const QRect help = bar->actionGeometry(window->mnuMain[99]->menuAction());
    const QRect view = bar->actionGeometry(window->mnuMain[2]->menuAction());
    QVERIFY(help.right() > bar->width() - 20 && help.left() > view.right() + 20);
    QVERIFY(bar->actionGeometry(window->mnuMain[0]->menuAction()).left() < 20);
    QVERIFY(view.left() > bar->actionGeometry(window->mnuMain[1]->menuAction()).right());
}

void TestWindow::shortcuts_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("opens");
    QTest::newRow("F3") << QKeySequence(Qt::Key_F3) << "txtBody"
                        << "QFileDialog";
    QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "txtDateCreated"
                        << "guide";
    QTest::newRow("Shift+F1") << QKeySequence(Qt::SHIFT | Qt::Key_F1) << "txtVersion"
                              << "QMessageBox";
    QTest::newRow("Ctrl+Shift+O") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O) << "txtBody"
                                  << "QFileDialog";
    QTest::newRow("F10") << QKeySequence(Qt::Key_F10) << "txtDateModified"
                         << "menu";
    QTest::newRow("F9") << QKeySequence(Qt::Key_F9) << "txtBody"
                        << "list";
}

void TestWindow::shortcuts()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, field);
    QFETCH(QString, opens);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    control(*window, field)->setFocus();
    ModalAnswerer answerer;
    QTest::keySequence(control(*window, field), keys);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const bool inWindow = opens == u"guide" || opens == u"menu" || opens == u"list";
    QCOMPARE(answerer.seen.size(), inWindow ? 0 : 1);
    // The guide needs no browser: nothing is handed to the desktop.
    QVERIFY(catcher.urls.isEmpty());
    if (opens == u"menu") {
        QTRY_COMPARE(window->menuBar()->activeAction(), window->mnuMain[0]->menuAction());
        QTRY_VERIFY(window->mnuMain[0]->isVisible());
        window->mnuMain[0]->close();
    } else if (opens == u"list") {
        QVERIFY(window->pnlNotes->isVisible());
        QVERIFY(window->mnuView[0]->isChecked());
    } else if (opens == u"guide") {
        QVERIFY(qvReadMeWindow() != nullptr && qvReadMeWindow()->isVisible());
        QVERIFY(qvReadMeWindow()->source().toLocalFile().endsWith(u"/quillet-guide.html"));
        QVERIFY(qvReadMeWindow()->toPlainText().contains(u"quillet-export"));
        qvReadMeWindow()->close();
    } else {
        QCOMPARE(answerer.seen[0].className, opens);
    }
    QVERIFY(window->isVisible());
}

void TestWindow::escape_data()
{
    QTest::addColumn<QString>("field"); // empty: no field has the focus
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    for (const QString &field : Fields)
        QTest::addRow("Esc in %s", qPrintable(field)) << field << 0 << true;
    QTest::newRow("Esc, no field focused") << "" << 0 << true;
    QTest::newRow("Shift+Esc") << "txtBody" << int(Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl+Esc") << "txtVersion" << int(Qt::ControlModifier) << false;
    QTest::newRow("Alt+Esc") << "txtDateCreated" << int(Qt::AltModifier) << false;
    QTest::newRow("Shift+Esc, no field focused") << "" << int(Qt::ShiftModifier) << false;
}

void TestWindow::escape()
{
    QFETCH(QString, field);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QWidget *target = control(*window, field);
    if (target == nullptr) {
        QApplication::focusWidget()->clearFocus();
        target = window.get();
    }
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(window->isVisible(), !closes);
    // Closing saved the settings; an open window has saved nothing.
    QCOMPARE(QFile::exists(AppFixture::settingsFile()), closes);
}

void TestWindow::guideMissing()
{
    ModalAnswerer answerer;
    QVERIFY(!qvOpenReadMeFile({m_fixture.file("nowhere/guide.html")}));
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen[0].text.contains(u"не найдено"));
}

void TestWindow::contents_data()
{
    QTest::addColumn<QStringList>("places"); // per candidate: "file", "folder" or "none"
    QTest::addColumn<int>("shown");          // the candidate shown; -1: a box says why not
    QTest::newRow("installed copy") << QStringList{"file", "file"} << 0;
    QTest::newRow("only the source tree's copy") << QStringList{"none", "file"} << 1;
    QTest::newRow("no copy anywhere") << QStringList{"none", "none"} << -1;
    QTest::newRow("a folder in its place") << QStringList{"folder", "file"} << -1;
}

// Help > Contents shows the guide in its own window, or a box that says why not and where.
void TestWindow::contents()
{
    QFETCH(QStringList, places);
    QFETCH(int, shown);
    QStringList candidates;
    for (qsizetype i = 0; i < places.size(); ++i) {
        const QString name =
            QStringLiteral("guide%1 %2/quillet-guide.html").arg(i).arg(QTest::currentDataTag());
        if (places[i] == u"file")
            m_fixture.writeFile(name, "<html><head><title>Guide " + QByteArray::number(i) +
                                          "</title></head><body><p>Chapter one</p></body></html>");
        else if (places[i] == u"folder")
            QDir().mkpath(m_fixture.file(name));
        candidates += m_fixture.file(name);
    }
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    QCOMPARE(qvOpenReadMeFile(candidates, window.get()), shown >= 0);
    if (shown >= 0) {
        QVERIFY(answerer.seen.isEmpty());
        QTextBrowser *guide = qvReadMeWindow();
        QVERIFY(guide != nullptr && guide->isVisible());
        QCOMPARE(guide->windowTitle(), QStringLiteral("Guide %1").arg(shown));
        QCOMPARE(guide->toPlainText(), QStringLiteral("Chapter one"));
        // Escape closes the guide, and only the guide.
        QTRY_COMPARE(QApplication::activeWindow(), guide);
        QTest::keyClick(guide, Qt::Key_Escape);
        QVERIFY(!guide->isVisible());
        QVERIFY(window->isVisible());
        return;
    }
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
    const QString text = answerer.seen[0].text;
    if (places.contains(QStringLiteral("folder"))) {
        QVERIFY2(text.contains(candidates[0]) && text.contains(u"не обычный файл"),
                 qPrintable(text));
    } else {
        for (const QString &candidate : candidates)
            QVERIFY2(text.contains(candidate), qPrintable(text));
    }
}

void TestWindow::aboutIsOneBoxForTheRun()
{
    const auto window = AppFixture::showWindow();
    ModalAnswerer answerer;
    window->mnuHelp[2]->trigger();
    window->mnuHelp[2]->trigger();
    QCOMPARE(answerer.seen.size(), 2);
    QCOMPARE(answerer.seen[0].widget.data(), static_cast<QWidget *>(AboutBox::shared().box()));
    QCOMPARE(answerer.seen[1].widget, answerer.seen[0].widget);
    QVERIFY(answerer.seen[0].text.contains(u"Quillet"));
    QVERIFY(answerer.seen[0].text.contains(u"1.00.0004"));
}

void TestWindow::longLines_data()
{
    const qsizetype run = LongRunLayout::LongRun;
    const auto repeated = [](const QString &piece, qsizetype length) {
        return piece.repeated(length / piece.size() + 1).left(length);
    };
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("block"); // the paragraph looked at
    QTest::addColumn<bool>("anywhere");
    QTest::newRow("one long line without blanks") << repeated("QmFzZTY0", 40000) << 0 << true;
    QTest::newRow("a long token among words, second paragraph")
        << "Short first line\nsee " + repeated("x", 3000) + " for details\nlast" << 1 << true;
    QTest::newRow("a long line of short words") << repeated("word ", 40000) << 0 << false;
    QTest::newRow("a long line of ideographs") << repeated("漢字仮名", 40000) << 0 << false;
    QTest::newRow("a long run with punctuation, no blanks")
        << repeated("a.b,c;", 40000) << 0 << true;
    QTest::newRow("a long run of Cyrillic letters") << repeated("абвгд", 2000) << 0 << true;
    // A stretch between two break opportunities takes the blank after its word along.
    QTest::newRow("a stretch just at the limit") << repeated("x", run - 1) + " y" << 0 << false;
    QTest::newRow("a stretch just past the limit") << repeated("x", run) + " y" << 0 << true;
}

// A long run without a break opportunity would make Qt's line breaking search it again for
// every line: such a paragraph wraps anywhere, every other one at word boundaries. The text
// stays the note's own, with nothing inserted.
void TestWindow::longLines()
{
    QFETCH(QString, body);
    QFETCH(int, block);
    QFETCH(bool, anywhere);
    const auto window = AppFixture::showWindow(m_fixture.writeFile("long.vnt", noteWithBody(body)));
    QCOMPARE(window->txtBody->toPlainText(), body);
    // Moving about lays out again what it reaches, as Qt would.
    window->txtBody->setFocus();
    for (const auto key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home})
        QTest::keyClick(window->txtBody, key, Qt::ControlModifier);
    QTest::keyClick(window->txtBody, Qt::Key_PageDown);
    window->txtBody->selectAll();
    window->txtBody->repaint();

    const QTextBlock paragraph = window->txtBody->document()->findBlockByNumber(block);
    QVERIFY(paragraph.layout()->lineCount() > 1);
    QCOMPARE(paragraph.layout()->textOption().wrapMode(),
             anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Lines as wide as the field allows; wrapped anywhere, every line but the last filled to
    // within a character.
    const qreal width = window->txtBody->viewport()->width();
    const qreal character = QFontMetricsF(window->txtBody->font()).maxWidth();
    for (int i = 0; i + 1 < paragraph.layout()->lineCount(); ++i) {
        const qreal used = paragraph.layout()->lineAt(i).naturalTextWidth();
        QVERIFY(used <= width);
        QVERIFY(!anywhere || used >= width - 2 * character);
    }
    QCOMPARE(window->txtBody->textCursor().selectedText().size(), body.size());
    // Shaping is left out only where the paragraph wraps anywhere; there the analysis is kept, or
    // each cursor drawn would take it up again for the whole paragraph.
    QCOMPARE(paragraph.layout()->formats().isEmpty(), !anywhere);
    QCOMPARE(paragraph.layout()->cacheEnabled(), anywhere);

    // Shortened in place, the paragraph wraps and is shaped as any other.
    QTextCursor cursor(paragraph);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral("a b"));
    window->txtBody->repaint();
    const QTextBlock shortened = window->txtBody->document()->findBlockByNumber(block);
    QCOMPARE(shortened.text(), QStringLiteral("a b"));
    QCOMPARE(shortened.layout()->textOption().wrapMode(),
             QTextOption::WrapAtWordBoundaryOrAnywhere);
    QVERIFY(shortened.layout()->formats().isEmpty());
}

void TestWindow::drop_data()
{
    QTest::addColumn<int>("files");
    QTest::newRow("one file") << 1;
    QTest::newRow("two files") << 2;
}

void TestWindow::drop()
{
    QFETCH(int, files);
    const QUrl note = QUrl::fromLocalFile(m_fixture.writeFile("dropped.vnt", sampleNote()));
    const auto window = AppFixture::showWindow();
    QMimeData data;
    data.setUrls(QList<QUrl>(files, note));
    QDragEnterEvent enter(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QCOMPARE(enter.isAccepted(), files == 1);
    QDropEvent drop(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QTest::qWait(20);
    QCOMPARE(window->windowTitle(),
             QString::fromUtf8(files == 1 ? "Quillet [dropped.vnt]" : "Quillet"));
    // A drop is no pick in the open dialog: no folder is remembered.
    QVERIFY(!QFile::exists(AppFixture::settingsFile()));
}

void TestWindow::paragraphDirection_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("sides"); // per paragraph: L or R
    QTest::newRow("three paragraphs") << QStringLiteral("שלום עולם\nHello\nمرحبا") << "RLR";
    QTest::newRow("one paragraph") << QStringLiteral("שלום עולם") << "R";
    QTest::newRow("digits, then Hebrew") << QStringLiteral("12 שלום") << "R";
}

// Each paragraph stands on the side its own text reads from.
void TestWindow::paragraphDirection()
{
    QFETCH(QString, body);
    QFETCH(QString, sides);
    const auto window = AppFixture::showWindow(m_fixture.writeFile("rtl.vnt", noteWithBody(body)));
    window->txtBody->repaint();
    const qreal width = window->txtBody->viewport()->width();
    for (int block = 0; block < sides.size(); ++block) {
        const QTextLayout *layout = window->txtBody->document()->findBlockByNumber(block).layout();
        QCOMPARE(layout->lineCount(), 1);
        const QRectF text = layout->lineAt(0).naturalTextRect();
        const qreal right = width - text.right();
        QVERIFY2(sides[block] == u'R' ? right < text.left() : text.left() < right,
                 qPrintable(QString::number(block)));
    }
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmmain.h"

#include "aboutbox.h"
#include "appinfo.h"
#include "designedlayout.h"
#include "longrunlayout.h"
#include "notelistpanel.h"
#include "qvcommandline.h"
#include "qvmenujustify.h"
#include "qvreadme.h"
#include "qvwindow.h"
#include "windowfont.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

namespace {

// The layout is designed in twips: 1440 to the inch, 15 to the pixel at 96 dots per inch.
constexpr double TwipsPerInch = 1440.0;

struct Box
{
    int left, top, width, height;
};

constexpr Box DesignedPlace{1605, 2250, 5775, 4695};
constexpr Box VersionField{1140, 120, 4515, 375};
constexpr Box CreatedField{1140, 600, 4515, 375};
constexpr Box ModifiedField{1140, 1080, 4515, 375};
constexpr Box BodyField{120, 1560, 5535, 3015};
constexpr int LabelLeft = 180;
// A caption stands this far below the top of its field.
constexpr int LabelDrop = 45;

constexpr int ShiftBit = 1;
constexpr int CtrlBit = 2;
constexpr int AltBit = 4;

QString droppedFile(const QMimeData *data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent), m_commandLine([] { return qvCommandLine(); })
{
    setWindowTitle(m_view.title);
    setFont(windowFont());
    setAcceptDrops(true);
    createControls();
    createMenus();
    createStepping();
    createList();
    createStartHint();
    updateNoteItems();

    m_dropLoad = new QTimer(this);
    m_dropLoad->setSingleShot(true);
    m_dropLoad->setInterval(0);
    connect(m_dropLoad, &QTimer::timeout, this, [this] {
        if (QFileInfo(m_droppedFile).isDir()) {
            OpenFolder(m_droppedFile);
        } else {
            LoadNoteFile(m_droppedFile);
            remember(m_droppedFile);
        }
    });

    tmrDoIt = new QTimer(this);
    tmrDoIt->setInterval(1);
    connect(tmrDoIt, &QTimer::timeout, this, &frmMain::tmrDoIt_Timer);

    adjustSize();
    move(twips(DesignedPlace.left), twips(DesignedPlace.top));
    installEventFilter(this);
    txtVersion->setFocus();
}

void frmMain::createControls()
{
    // The note list at the left, in a splitter; the client area as designed beside it.
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setChildrenCollapsible(false);
    setCentralWidget(m_split);
    pnlNotes = new NoteListPanel(m_split);
    pnlNotes->hide();
    auto *client = new QWidget(m_split);
    m_client = client;
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    // Designed for one size, which is also the smallest; a larger window stretches the fields.
    auto *layout =
        new DesignedLayout(QSize(twips(DesignedPlace.width), twips(DesignedPlace.height)), client);
    m_layout = layout;
    client->installEventFilter(this);
    // Always shown: what became of a file met while stepping is said there.
    statusBar()->setSizeGripEnabled(false);
    statusBar()->show();

    // The fields stand on the window's own colour, not on that of an input field.
    QPalette fieldPalette = palette();
    fieldPalette.setColor(QPalette::Base, fieldPalette.color(QPalette::Window));

    const auto place = [this, layout](QWidget *control, const Box &box, int stretch) {
        layout->addWidget(
            control, QRect(twips(box.left), twips(box.top), twips(box.width), twips(box.height)),
            stretch);
    };
    const auto makeLine = [&](const Box &box, const QString &name) {
        auto *field = new QLineEdit(client);
        field->setReadOnly(true);
        field->setPalette(fieldPalette);
        field->setAcceptDrops(false);
        field->setAccessibleName(name);
        place(field, box, DesignedLayout::Width);
        field->installEventFilter(this);
        return field;
    };
    const auto makeLabel = [&](int index, const QString &caption, const Box &field) {
        auto *label = new QLabel(caption, client);
        place(label, {LabelLeft, field.top + LabelDrop, 0, 0}, DesignedLayout::Fixed);
        label->adjustSize();
        label->installEventFilter(this);
        lblTag.at(index) = label;
    };

    makeLabel(0, QStringLiteral("Версия:"), VersionField);
    txtVersion = makeLine(VersionField, QStringLiteral("Версия"));
    makeLabel(1, QStringLiteral("Создан:"), CreatedField);
    txtDateCreated = makeLine(CreatedField, QStringLiteral("Создан"));
    makeLabel(2, QStringLiteral("Изменён:"), ModifiedField);
    txtDateModified = makeLine(ModifiedField, QStringLiteral("Изменён"));
    // A screen reader names each field by its caption.
    lblTag[0]->setBuddy(txtVersion);
    lblTag[1]->setBuddy(txtDateCreated);
    lblTag[2]->setBuddy(txtDateModified);

    txtBody = new QPlainTextEdit(client);
    // A long line without blanks is laid out in linear time.
    LongRunLayout::install(txtBody);
    txtBody->setReadOnly(true);
    txtBody->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtBody->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtBody->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtBody->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBody->setTabChangesFocus(true);
    txtBody->setPalette(fieldPalette);
    txtBody->setAcceptDrops(false);
    txtBody->viewport()->setAcceptDrops(false);
    txtBody->setAccessibleName(QStringLiteral("Текст заметки"));
    place(txtBody, BodyField, DesignedLayout::Width | DesignedLayout::Height);
    txtBody->installEventFilter(this);
    txtBody->viewport()->installEventFilter(this);

    // With the list shown: its filter, the list, then the four fields.
    setTabOrder(pnlNotes->txtFilter, pnlNotes->lstNotes);
    setTabOrder(pnlNotes->lstNotes, txtVersion);
    setTabOrder(txtVersion, txtDateCreated);
    setTabOrder(txtDateCreated, txtDateModified);
    setTabOrder(txtDateModified, txtBody);
}

void frmMain::createMenus()
{
    QMenuBar *bar = menuBar();
    const auto addItem = [this](QMenu *menu, QMap<int, QAction *> &items, int index,
                                const QString &caption, const QKeySequence &shortcut,
                                void (frmMain::*handler)(int)) {
        QAction *item = menu->addAction(caption);
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this,
                [this, handler, index] { (this->*handler)(index); });
        items.insert(index, item);
    };

    // File: opening first, then going through notes, then saving; the export of every note and
    // printing are to come after Export.
    mnuMain.insert(0, bar->addMenu(QStringLiteral("Файл")));
    QMenu *file = mnuMain[0];
    addItem(file, mnuFile, 0, QStringLiteral("Открыть..."), QKeySequence(Qt::Key_F3),
            &frmMain::mnuFile_Click);
    addItem(file, mnuFile, 5, QStringLiteral("Открыть папку..."),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), &frmMain::mnuFile_Click);
    mnuRecent = new QMenu(QStringLiteral("Недавние"), file);
    mnuFile.insert(6, file->addMenu(mnuRecent));
    file->addSeparator();
    addItem(file, mnuFile, 1, QStringLiteral("Следующая заметка"),
            QKeySequence(Qt::CTRL | Qt::Key_PageDown), &frmMain::mnuFile_Click);
    addItem(file, mnuFile, 2, QStringLiteral("Предыдущая заметка"),
            QKeySequence(Qt::CTRL | Qt::Key_PageUp), &frmMain::mnuFile_Click);
    addItem(file, mnuFile, 3, QStringLiteral("Найти в заметках..."),
            QKeySequence(Qt::CTRL | Qt::Key_F), &frmMain::mnuFile_Click);
    file->addSeparator();
    addItem(file, mnuFile, 4, QStringLiteral("Экспорт..."), QKeySequence(Qt::CTRL | Qt::Key_S),
            &frmMain::mnuFile_Click);
    mnuFile.insert(98, file->addSeparator());
    addItem(file, mnuFile, 99, QStringLiteral("Выход"), QKeySequence(), &frmMain::mnuFile_Click);

    mnuMain.insert(1, bar->addMenu(QStringLiteral("Настройки")));
    addItem(mnuMain[1], mnuSettings, 0, QStringLiteral("Короткая дата"), QKeySequence(),
            &frmMain::mnuSettings_Click);
    mnuSettings[0]->setCheckable(true);
    addItem(mnuMain[1], mnuSettings, 1, QStringLiteral("Все форматы заметок"), QKeySequence(),
            &frmMain::mnuSettings_Click);
    mnuSettings[1]->setCheckable(true);

    mnuMain.insert(2, bar->addMenu(QStringLiteral("Вид")));
    QMenu *view = mnuMain[2];
    addItem(view, mnuView, 0, QStringLiteral("Список заметок"), QKeySequence(Qt::Key_F9),
            &frmMain::mnuView_Click);
    mnuView[0]->setCheckable(true);
    view->addSeparator();
    addItem(view, mnuView, 1, QStringLiteral("Крупнее"), QKeySequence(Qt::CTRL | Qt::Key_Plus),
            &frmMain::mnuView_Click);
    // Ctrl+= too: "+" is a shifted key on many keyboards.
    mnuView[1]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    addItem(view, mnuView, 2, QStringLiteral("Мельче"), QKeySequence(Qt::CTRL | Qt::Key_Minus),
            &frmMain::mnuView_Click);
    addItem(view, mnuView, 3, QStringLiteral("Обычный размер"), QKeySequence(Qt::CTRL | Qt::Key_0),
            &frmMain::mnuView_Click);
    view->addSeparator();
    // Ctrl+G exactly: the platform's "find next" would add F3, which opens a file here.
    addItem(view, mnuView, 4, QStringLiteral("Следующее совпадение"),
            QKeySequence(Qt::CTRL | Qt::Key_G), &frmMain::mnuView_Click);
    addItem(view, mnuView, 5, QStringLiteral("Предыдущее совпадение"),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), &frmMain::mnuView_Click);

    mnuMain.insert(99, bar->addMenu(QStringLiteral("Справка")));
    addItem(mnuMain[99], mnuHelp, 0, QStringLiteral("Содержание..."), QKeySequence(Qt::Key_F1),
            &frmMain::mnuHelp_Click);
    mnuHelp.insert(1, mnuMain[99]->addSeparator());
    addItem(mnuMain[99], mnuHelp, 2, QStringLiteral("О программе..."),
            QKeySequence(Qt::SHIFT | Qt::Key_F1), &frmMain::mnuHelp_Click);
}

int frmMain::twips(int value) const
{
    return qRound(value * logicalDpiY() / TwipsPerInch);
}

void frmMain::setCommandLineSource(std::function<QString()> source)
{
    m_commandLine = std::move(source);
}

void frmMain::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
        tmrDoIt->start();
    }
    QMainWindow::setVisible(visible);
    // Never larger than the screen, now that the frame is known.
    if (visible)
        fitOnScreen();
}

void frmMain::Form_Load()
{
    qvCenterFormEx(this);
    if (!qvIsInIDE())
        qvSetWindowResIconAll(this, QStringLiteral("A_MAIN"));
    // Help is the fourth menu of the bar, after View.
    qvSetMenuJustify(this, 3, true);
    mnuFile[99]->setText(mnuFile[99]->text() + QStringLiteral("\tEsc"));
    LoadSettings();
}

void frmMain::Form_Unload()
{
    SaveSettings();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

int frmMain::shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? ShiftBit : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? CtrlBit : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? AltBit : 0);
}

// Keys reach the window before the field that has the focus, and then go on to the field. With
// no field focused the window itself receives them; a key that a field passes on up to the
// window has been seen already.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    const bool seenByField = watched == this && QApplication::focusWidget() != nullptr &&
                             QApplication::focusWidget() != this &&
                             isAncestorOf(QApplication::focusWidget());
    // The note list handles its own keys, Escape among them.
    const bool inList = pnlNotes->isAncestorOf(QApplication::focusWidget());
    if (event->type() == QEvent::KeyPress && !seenByField && !inList) {
        const auto *key = static_cast<QKeyEvent *>(event);
        Form_KeyDown(key->key(), shiftMask(key->modifiers()));
    }
    // F10 opens the menu bar, as in other desktop programs: from a field that passes it on, too.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
            menuBar()->setActiveAction(mnuMain[0]->menuAction());
            return true;
        }
    }
    if (event->type() == QEvent::Resize && watched == txtBody->viewport())
        lblStart->setGeometry(txtBody->viewport()->rect().adjusted(8, 8, -8, -8));
    // Ctrl with the wheel zooms the window, not only the body's text.
    if (event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() == Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0)
                SetZoom(Zoom + (wheel->angleDelta().y() > 0 ? ZoomStep : -ZoomStep));
            return true;
        }
    }
    // The mouse's back and forward buttons step as the File menu's items do, when they can.
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            mnuFile[button == Qt::BackButton ? 2 : 1]->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_KeyDown(int keyCode, int shift)
{
    if (keyCode == Qt::Key_Escape && shift == 0)
        close();
}

void frmMain::mnuFile_Click(int index)
{
    switch (index) {
    case 0:
        OpenWithDialog();
        break;
    case 1:
        StepNote(1);
        break;
    case 2:
        StepNote(-1);
        break;
    case 3:
        FindInNotes();
        break;
    case 4:
        ExportShownNote();
        break;
    case 5:
        OpenFolderWithDialog();
        break;
    case 99:
        qvUnloadForm(this);
        break;
    default:
        break;
    }
}

void frmMain::mnuView_Click(int index)
{
    switch (index) {
    case 0:
        ShowNoteList(mnuView[0]->isChecked());
        break;
    case 1:
        SetZoom(Zoom + ZoomStep);
        break;
    case 2:
        SetZoom(Zoom - ZoomStep);
        break;
    case 3:
        SetZoom(100);
        break;
    case 4:
        StepMatch(1);
        break;
    case 5:
        StepMatch(-1);
        break;
    default:
        break;
    }
}

void frmMain::mnuHelp_Click(int index)
{
    switch (index) {
    case 0:
        qvOpenReadMeFile(qvReadMeCandidates(), this);
        break;
    case 2:
        AboutBox::shared().Show(
            this, AppInfo::current(), QString(), QPixmap(),
            QStringLiteral("Посвящается всем, кто записывает в телефон то, что боится забыть."));
        break;
    default:
        break;
    }
}

// One file dropped on the window is loaded as if opened, one folder shows its first note; the open
// dialog's directory stays.
void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Loading may ask the user: not inside the drop, which the source is waiting on.
    m_droppedFile = path;
    m_dropLoad->start();
}

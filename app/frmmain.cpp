// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmmain.h"

#include "aboutbox.h"
#include "appinfo.h"
#include "designedlayout.h"
#include "longrunlayout.h"
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
#include <QTimer>

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

    m_dropLoad = new QTimer(this);
    m_dropLoad->setSingleShot(true);
    m_dropLoad->setInterval(0);
    connect(m_dropLoad, &QTimer::timeout, this, [this] {
        if (QFileInfo(m_droppedFile).isDir())
            OpenFolder(m_droppedFile);
        else
            LoadNoteFile(m_droppedFile);
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
    auto *client = new QWidget(this);
    // Designed for one size, which is also the smallest; a larger window stretches the fields.
    auto *layout =
        new DesignedLayout(QSize(twips(DesignedPlace.width), twips(DesignedPlace.height)), client);
    setCentralWidget(client);
    client->installEventFilter(this);

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

    mnuMain.insert(0, bar->addMenu(QStringLiteral("Файл")));
    addItem(mnuMain[0], mnuFile, 0, QStringLiteral("Открыть..."), QKeySequence(Qt::Key_F3),
            &frmMain::mnuFile_Click);
    addItem(mnuMain[0], mnuFile, 1, QStringLiteral("Следующая заметка"),
            QKeySequence(Qt::CTRL | Qt::Key_PageDown), &frmMain::mnuFile_Click);
    addItem(mnuMain[0], mnuFile, 2, QStringLiteral("Предыдущая заметка"),
            QKeySequence(Qt::CTRL | Qt::Key_PageUp), &frmMain::mnuFile_Click);
    addItem(mnuMain[0], mnuFile, 3, QStringLiteral("Найти в заметках..."),
            QKeySequence(Qt::CTRL | Qt::Key_F), &frmMain::mnuFile_Click);
    addItem(mnuMain[0], mnuFile, 4, QStringLiteral("Экспорт..."),
            QKeySequence(Qt::CTRL | Qt::Key_S), &frmMain::mnuFile_Click);
    mnuFile.insert(98, mnuMain[0]->addSeparator());
    addItem(mnuMain[0], mnuFile, 99, QStringLiteral("Выход"), QKeySequence(),
            &frmMain::mnuFile_Click);

    mnuMain.insert(1, bar->addMenu(QStringLiteral("Настройки")));
    addItem(mnuMain[1], mnuSettings, 0, QStringLiteral("Короткая дата"), QKeySequence(),
            &frmMain::mnuSettings_Click);
    mnuSettings[0]->setCheckable(true);
    addItem(mnuMain[1], mnuSettings, 1, QStringLiteral("Все форматы заметок"), QKeySequence(),
            &frmMain::mnuSettings_Click);
    mnuSettings[1]->setCheckable(true);

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
}

void frmMain::Form_Load()
{
    qvCenterFormEx(this);
    if (!qvIsInIDE())
        qvSetWindowResIconAll(this, QStringLiteral("A_MAIN"));
    qvSetMenuJustify(this, 2, true);
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
    if (event->type() == QEvent::KeyPress && !seenByField) {
        const auto *key = static_cast<QKeyEvent *>(event);
        Form_KeyDown(key->key(), shiftMask(key->modifiers()));
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
    case 99:
        qvUnloadForm(this);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "messagebox.h"

#include "appinfo.h"
#include "qverror.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>
#include <vector>

namespace {

using Button = std::pair<QMessageBox::StandardButton, int>;

std::vector<Button> buttonsFor(int style)
{
    switch (style & 0x0F) {
    case MsgBoxStyle::OkOnly:
        return {{QMessageBox::Ok, IdOk}};
    case MsgBoxStyle::OkCancel:
        return {{QMessageBox::Ok, IdOk}, {QMessageBox::Cancel, IdCancel}};
    case MsgBoxStyle::AbortRetryIgnore:
        return {{QMessageBox::Abort, IdAbort},
                {QMessageBox::Retry, IdRetry},
                {QMessageBox::Ignore, IdIgnore}};
    case MsgBoxStyle::YesNoCancel:
        return {
            {QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}, {QMessageBox::Cancel, IdCancel}};
    case MsgBoxStyle::YesNo:
        return {{QMessageBox::Yes, IdYes}, {QMessageBox::No, IdNo}};
    case MsgBoxStyle::RetryCancel:
        return {{QMessageBox::Retry, IdRetry}, {QMessageBox::Cancel, IdCancel}};
    default:
        throw QvError(QvInvalidArgument,
                      QStringLiteral("Неизвестный набор кнопок окна сообщения: %1").arg(style));
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0xF0) {
    case 0:
        return QMessageBox::NoIcon;
    case MsgBoxStyle::Critical:
        return QMessageBox::Critical;
    case MsgBoxStyle::Question:
        return QMessageBox::Question;
    case MsgBoxStyle::Exclamation:
        return QMessageBox::Warning;
    case MsgBoxStyle::Information:
        return QMessageBox::Information;
    default:
        throw QvError(QvInvalidArgument,
                      QStringLiteral("Неизвестный значок окна сообщения: %1").arg(style));
    }
}

} // namespace

int qvMessageBox(const QString &text, int style, const QString &title, const QString &detail,
                 QWidget *owner)
{
    const std::vector<Button> buttons = buttonsFor(style);
    const QMessageBox::Icon icon = iconFor(style);

    QMessageBox box(owner != nullptr ? owner : QApplication::activeWindow());
    box.setIcon(icon);
    box.setWindowTitle(title.isEmpty() ? AppInfo::current().title : title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box.setDetailedText(detail);

    QMessageBox::StandardButtons standardButtons;
    for (const auto &[button, id] : buttons)
        standardButtons |= button;
    box.setStandardButtons(standardButtons);
    box.setDefaultButton(buttons.front().first);
    // A box closed by its title bar or Escape gives its Cancel, No or only button.
    QMessageBox::StandardButton escape =
        buttons.size() == 1 ? buttons.front().first : QMessageBox::NoButton;
    for (const auto &[button, id] : buttons) {
        if (id == IdCancel || (id == IdNo && escape == QMessageBox::NoButton))
            escape = button;
    }
    if (escape != QMessageBox::NoButton)
        box.setEscapeButton(escape);

    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto &[button, id] : buttons) {
        if (button == clicked)
            return id;
    }
    return IdCancel;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Message-box styles by their established values: the low four bits choose the buttons, the
// next four the icon. Callers combine one of each, e.g. RetryCancel | Critical (21).
namespace MsgBoxStyle {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
} // namespace MsgBoxStyle

// The button that closed a box.
enum MsgBoxResult {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7
};

// Shows a modal box and returns the button chosen. Without a title of its own the box bears the
// application's title; `detail` goes behind the box's details button. Without an owner the box
// belongs to the active window. Closing the box without a button counts as its Cancel (or No,
// or the only button). Throws QvError for a style it does not know.
int qvMessageBox(const QString &text, int style, const QString &title = {},
                 const QString &detail = {}, QWidget *owner = nullptr);

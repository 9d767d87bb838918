// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QvError;

// Reports a failed operation: the caller's message in the box, the failure's description and
// number behind its details button.
class ErrorBox
{
public:
    // The one error box of the process, made on first use.
    static ErrorBox &shared();

    // Shows the box with the given message-box style and returns the button chosen
    // (MsgBoxResult).
    int Show(const QvError &errorState, int style, const QString &message) const;

    // The details text for a failure.
    [[nodiscard]] static QString describe(const QvError &errorState);
};

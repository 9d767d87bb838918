// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the note reading reports a rejected note: the window shows a modal box with the stop
// icon, the command-line companion writes to standard error, tests record the text.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showCritical(const QString &message) = 0;

protected:
    MessageSink() = default;
    MessageSink(const MessageSink &) = default;
    MessageSink &operator=(const MessageSink &) = default;
};

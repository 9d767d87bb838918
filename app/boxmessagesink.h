// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messagesink.h"

class QWidget;

// Reports a rejected note in a modal box with an OK button and the stop icon, under the
// application's title.
class BoxMessageSink : public MessageSink
{
public:
    explicit BoxMessageSink(QWidget *owner) : m_owner(owner) {}
    void showCritical(const QString &message) override;

private:
    QWidget *m_owner;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <stdexcept>

// A failed support call. It carries the number and the description that an error box shows.
class QvError : public std::runtime_error
{
public:
    QvError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {
    }

    [[nodiscard]] int number() const noexcept { return m_number; }
    [[nodiscard]] QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// The number given to a call made with an argument it cannot take.
inline constexpr int QvInvalidArgument = 5;

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QString>
#include <QStringView>

// Text helpers. The view overloads return a part of their argument without copying it; the
// QString overloads return the argument itself (shared, not copied) when nothing changes.

// Without the blanks and tabs at either end.
QStringView qvTrimEx(QStringView text);
QString qvTrimEx(const QString &text);

// Without the carriage returns and line feeds at either end.
QStringView qvTrimCRLF(QStringView text);
QString qvTrimCRLF(const QString &text);

// Without the first, or the last, `count` characters; the empty text when it has no more than
// that. Throws QvError for a negative count.
QStringView qvCutLeft(QStringView text, qsizetype count);
QString qvCutLeft(const QString &text, qsizetype count);
QStringView qvCutRight(QStringView text, qsizetype count);
QString qvCutRight(const QString &text, qsizetype count);

// What qvTrimEx2 strips from both ends of a text.
enum class TrimOption {
    Blanks = 0x01,
    Tabs = 0x02,
    CarriageReturns = 0x04,
    LineFeeds = 0x08,
    // One pair of double quotes around the rest, removed after the characters above.
    SurroundingQuotes = 0x10,
};
Q_DECLARE_FLAGS(TrimOptions, TrimOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TrimOptions)

inline constexpr TrimOptions AllTrimOptions{TrimOption::Blanks, TrimOption::Tabs,
                                            TrimOption::CarriageReturns, TrimOption::LineFeeds,
                                            TrimOption::SurroundingQuotes};

QString qvTrimEx2(const QString &text, TrimOptions options);

// The part of a path after its last '/', and the directory before it ("/" for a file at the
// root, the empty text for a bare name).
QString qvGetFileName(const QString &path);
QString qvGetFilePath(const QString &path);

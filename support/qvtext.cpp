// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvtext.h"

#include "qverror.h"

namespace {

template <typename IsStripped> QStringView trimmed(QStringView text, IsStripped isStripped)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isStripped(text[begin]))
        ++begin;
    while (end > begin && isStripped(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

void checkCount(qsizetype count)
{
    if (count < 0)
        throw QvError(QvInvalidArgument,
                      QStringLiteral("Отрицательное число символов: %1").arg(count));
}

// The QString overloads share the argument when the view covers all of it.
QString toString(const QString &whole, QStringView part)
{
    return part.size() == whole.size() ? whole : part.toString();
}

} // namespace

QStringView qvTrimEx(QStringView text)
{
    return trimmed(text, isBlankOrTab);
}

QString qvTrimEx(const QString &text)
{
    return toString(text, qvTrimEx(QStringView(text)));
}

QStringView qvTrimCRLF(QStringView text)
{
    return trimmed(text, isLineBreak);
}

QString qvTrimCRLF(const QString &text)
{
    return toString(text, qvTrimCRLF(QStringView(text)));
}

QStringView qvCutLeft(QStringView text, qsizetype count)
{
    checkCount(count);
    return count >= text.size() ? QStringView() : text.sliced(count);
}

QString qvCutLeft(const QString &text, qsizetype count)
{
    return toString(text, qvCutLeft(QStringView(text), count));
}

QStringView qvCutRight(QStringView text, qsizetype count)
{
    checkCount(count);
    return count >= text.size() ? QStringView() : text.first(text.size() - count);
}

QString qvCutRight(const QString &text, qsizetype count)
{
    return toString(text, qvCutRight(QStringView(text), count));
}

QString qvTrimEx2(const QString &text, TrimOptions options)
{
    const auto isStripped = [options](QChar c) {
        return (c == u' ' && options.testFlag(TrimOption::Blanks)) ||
               (c == u'\t' && options.testFlag(TrimOption::Tabs)) ||
               (c == u'\r' && options.testFlag(TrimOption::CarriageReturns)) ||
               (c == u'\n' && options.testFlag(TrimOption::LineFeeds));
    };
    QStringView result = trimmed(text, isStripped);
    if (options.testFlag(TrimOption::SurroundingQuotes) && result.size() >= 2 &&
        result.front() == u'"' && result.back() == u'"')
        result = trimmed(result.sliced(1, result.size() - 2), isStripped);
    return toString(text, result);
}

QString qvGetFileName(const QString &path)
{
    return path.sliced(path.lastIndexOf(u'/') + 1);
}

QString qvGetFilePath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.first(slash);
}

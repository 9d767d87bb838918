// SPDX-License-Identifier: GPL-3.0-or-later
#include "notematch.h"

#include <algorithm>

namespace {

// Large enough that a piece costs little to start, small enough to stay in cache.
constexpr qsizetype PieceSize = 16 * 1024;
constexpr char16_t SmallIo = u'\u0451';
constexpr char16_t SmallIe = u'\u0435';
constexpr QChar Ellipsis = u'\u2026';

// Folds `text` into `out`, which has its size. A surrogate pair is folded as one code point; a
// lone surrogate stays as it is.
void foldInto(QStringView text, QChar *out)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            out[i] = QChar(QChar::highSurrogate(folded));
            out[i + 1] = QChar(QChar::lowSurrogate(folded));
            ++i;
            continue;
        }
        const char16_t folded = c.toCaseFolded().unicode();
        out[i] = QChar(folded == SmallIo ? SmallIe : folded);
    }
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
}

} // namespace

QString FoldForSearch(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    foldInto(text, folded.data());
    return folded;
}

NoteMatcher::NoteMatcher(QStringView query)
    : m_folded(FoldForSearch(query)), m_matcher(m_folded, Qt::CaseSensitive)
{
}

qsizetype NoteMatcher::indexIn(QStringView text) const
{
    const qsizetype length = m_folded.size();
    if (length == 0 || text.size() < length)
        return -1;
    // Pieces overlap by one less than a match, so that no match falls between two.
    QString piece(std::min(text.size(), PieceSize + length - 1), Qt::Uninitialized);
    for (qsizetype start = 0; start + length <= text.size(); start += PieceSize) {
        const QStringView window = text.sliced(start, std::min(text.size() - start, piece.size()));
        foldInto(window, piece.data());
        const qsizetype found = m_matcher.indexIn(QStringView(piece).first(window.size()));
        if (found >= 0)
            return start + found;
    }
    return -1;
}

QList<qsizetype> NoteMatcher::matchesIn(QStringView text, qsizetype limit) const
{
    QList<qsizetype> found;
    const qsizetype length = m_folded.size();
    if (length == 0 || text.size() < length)
        return found;
    QString piece(std::min(text.size(), PieceSize + length - 1), Qt::Uninitialized);
    // Where the next match may start: after the end of the last one.
    qsizetype next = 0;
    for (qsizetype start = 0; start + length <= text.size() && found.size() < limit;
         start += PieceSize) {
        const QStringView window = text.sliced(start, std::min(text.size() - start, piece.size()));
        foldInto(window, piece.data());
        const QStringView folded = QStringView(piece).first(window.size());
        // No match fits in the overlap with the next piece; one that reaches into it is skipped
        // there, as the next match starts after it.
        for (qsizetype from = std::max<qsizetype>(next - start, 0); found.size() < limit;) {
            const qsizetype at = m_matcher.indexIn(folded, from);
            if (at < 0)
                break;
            found.append(start + at);
            next = start + at + length;
            from = at + length;
        }
    }
    return found;
}

QString MatchExcerpt(QStringView text, qsizetype start, qsizetype length, qsizetype width)
{
    return ExcerptAround(text, start, length, width).text;
}

Excerpt ExcerptAround(QStringView text, qsizetype start, qsizetype length, qsizetype width)
{
    start = std::clamp<qsizetype>(start, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - start);
    width = std::max<qsizetype>(width, 1);
    // The match itself, as much of it as fits, and a third of the room before it.
    const qsizetype shown = std::min(length, width);
    const qsizetype before = (width - shown) / 3;

    qsizetype from = start;
    while (from > 0 && start - from < before && !isLineBreak(text[from - 1]))
        --from;
    qsizetype to = start + shown;
    while (to < text.size() && to - from < width && !isLineBreak(text[to]))
        ++to;
    // Never half a surrogate pair at either end.
    if (from > 0 && from < text.size() && text[from].isLowSurrogate())
        ++from;
    if (to > from && to < text.size() && text[to].isLowSurrogate())
        --to;

    Excerpt excerpt;
    excerpt.text.reserve(to - from + 2);
    if (from > 0 && !isLineBreak(text[from - 1]))
        excerpt.text += Ellipsis;
    excerpt.matchStart = excerpt.text.size() + std::max<qsizetype>(start - from, 0);
    excerpt.matchLength = std::clamp<qsizetype>(std::min(start + shown, to) - start, 0, shown);
    for (const QChar c : text.sliced(from, to - from))
        excerpt.text += c.category() == QChar::Other_Control || isLineBreak(c) ? QChar(u' ') : c;
    if (to < text.size() && !isLineBreak(text[to]))
        excerpt.text += Ellipsis;
    return excerpt;
}

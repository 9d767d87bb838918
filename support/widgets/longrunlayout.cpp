// SPDX-License-Identifier: GPL-3.0-or-later
#include "longrunlayout.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <sys/mman.h>

LongRunLayout::LongRunLayout(QTextDocument *document, QWidget *viewport)
    : QPlainTextDocumentLayout(document), m_viewport(viewport)
{
}

void LongRunLayout::install(QPlainTextEdit *edit)
{
    auto *document = new QTextDocument(edit);
    document->setDocumentLayout(new LongRunLayout(document, edit->viewport()));
    edit->setDocument(document);
    // Each paragraph's direction is that of its own text (see alignByDirection).
    QTextOption paragraphs = document->defaultTextOption();
    paragraphs.setTextDirection(Qt::LayoutDirectionAuto);
    document->setDefaultTextOption(paragraphs);
}

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Letters and digits of ASCII: no line may break between two of them.
bool isUnbreakable(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool hasLongStretch(QStringView text, qsizetype longest)
{
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text.data(), text.size());
    qsizetype previous = 0;
    for (qsizetype next = breaks.toNextBoundary(); next >= 0; next = breaks.toNextBoundary()) {
        if (next - previous > longest)
            return true;
        previous = next;
    }
    return false;
}

} // namespace

bool LongRunLayout::hasLongRun(QStringView text)
{
    if (text.size() <= LongRun)
        return false;
    // One pass settles most text: a line may always break after blanks, and never between ASCII
    // letters and digits. A long stretch of anything else is left to Qt's line breaking rules.
    qsizetype stretch = 0;
    bool afterBlank = false;
    bool certain = true;
    bool uncertainStretch = false;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (isBlank(unit)) {
            afterBlank = true;
        } else {
            if (afterBlank) {
                stretch = 0;
                certain = true;
                afterBlank = false;
            }
            certain = certain && isUnbreakable(unit);
        }
        if (++stretch > LongRun) {
            if (certain)
                return true;
            uncertainStretch = true;
        }
    }
    return uncertainStretch && hasLongStretch(text, LongRun);
}

void LongRunLayout::ensureRoomFor(QStringView text)
{
    // What laying out a character takes at most, its analysis and glyphs kept: measured, with room.
    constexpr qint64 LayoutBytesPerCharacter = 48;
    // The longest stretch between line feeds: QTextDocument also ends a paragraph at CR and at the
    // paragraph separator, so this is at most an overestimate, and a fast one to find.
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(u'\n'); end >= 0; end = text.indexOf(u'\n', start)) {
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    longest = std::max(longest, text.size() - start);
    const qint64 needed =
        qint64(text.size()) * qint64(sizeof(QChar)) + longest * LayoutBytesPerCharacter;
    if (needed == 0)
        return;
    // Asked of the system as malloc asks for a large block, and given back untouched; through
    // malloc itself, the block would raise its threshold for mapping memory for the rest of the
    // run.
    void *room =
        ::mmap(nullptr, size_t(needed), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED)
        throw std::bad_alloc();
    ::munmap(room, size_t(needed));
}

bool LongRunLayout::wrapsAnywhere(const QTextBlock &block) const
{
    const QTextOption::WrapMode mode = document()->defaultTextOption().wrapMode();
    return block.isValid() && block.length() > LongRun &&
           (mode == QTextOption::WordWrap || mode == QTextOption::WrapAtWordBoundaryOrAnywhere) &&
           hasLongRun(block.text());
}

// As QPlainTextDocumentLayout lays out a paragraph, but wrapping anywhere, and without shaping
// where the script does not need it: kerning and ligatures cost more than all the rest of laying
// out such a paragraph, and a run of characters without blanks gains little from them.
void LongRunLayout::layOutAnywhere(const QTextBlock &block) const
{
    QTextDocument *doc = document();
    const qreal margin = doc->documentMargin();
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAnywhere);
    QTextLayout *layout = block.layout();
    layout->setTextOption(option);
    // Kept after the layout: otherwise every cursor drawn (a focus change, closing the window)
    // analyses the whole paragraph again.
    layout->setCacheEnabled(true);
    if (layout->formats().isEmpty()) {
        QFont font;
        font.setStyleStrategy(QFont::PreferNoShaping);
        QTextCharFormat unshaped;
        unshaped.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
        layout->setFormats({QTextLayout::FormatRange{0, block.length(), unshaped}});
    }

    qreal extraMargin = 0;
    if ((option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators) != 0)
        extraMargin = QFontMetrics(block.charFormat().font()).horizontalAdvance(QChar(0x21B5));
    const int viewportWidth = m_viewport != nullptr ? m_viewport->width() : 0;
    const qreal width =
        (viewportWidth > 0 ? qreal(viewportWidth) : qreal(INT_MAX)) - 2 * margin - extraMargin;

    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(margin, height));
        height += line.height();
        if (line.leading() < 0)
            height += std::ceil(line.leading());
    }
    layout->endLayout();

    const int linesBefore = doc->lineCount();
    QTextBlock(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
    if (doc->lineCount() != linesBefore)
        emit const_cast<LongRunLayout *>(this)->documentSizeChanged(documentSize());
}

// Qt's plain-text layout aligns every paragraph to the left; one whose text reads from the right
// (Hebrew, Arabic) is aligned to the right instead, as a rich-text field would. The lines stay as
// laid out: the alignment only moves them when they are drawn.
void LongRunLayout::alignByDirection(const QTextBlock &block)
{
    QTextLayout *layout = block.layout();
    QTextOption option = layout->textOption();
    const Qt::Alignment wanted =
        block.textDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    if ((option.alignment() & Qt::AlignHorizontal_Mask) == wanted)
        return;
    option.setAlignment((option.alignment() & ~Qt::AlignHorizontal_Mask) | wanted);
    layout->setTextOption(option);
}

QRectF LongRunLayout::blockBoundingRect(const QTextBlock &block) const
{
    // Every lazy layout of a paragraph comes through here before Qt's own would.
    const bool layOut = block.isValid() && block.layout()->lineCount() == 0;
    if (layOut) {
        if (wrapsAnywhere(block))
            layOutAnywhere(block);
        else if (!block.layout()->formats().isEmpty())
            block.layout()->clearFormats(); // left from the paragraph's earlier text
    }
    const QRectF bounds = QPlainTextDocumentLayout::blockBoundingRect(block);
    if (layOut)
        alignByDirection(block);
    return bounds;
}

void LongRunLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    // Qt lays out a change within one paragraph on the spot, with the document's wrapping. For a
    // paragraph that wraps anywhere the change is reported as reaching past the end, which only
    // marks the paragraph for layout; that layout then comes through blockBoundingRect.
    const QTextBlock first = document()->findBlock(from);
    const QTextBlock last =
        document()->findBlock(std::max(0, from + charsRemoved + charsAdded - 1));
    if (first == last && wrapsAnywhere(first))
        charsAdded = document()->characterCount() - from - charsRemoved + 1;
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    if (first == last && first.isValid() && first.layout()->lineCount() > 0)
        alignByDirection(first);
}

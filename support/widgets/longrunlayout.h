// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QStringView>

class QPlainTextEdit;

// The layout of a plain-text field whose cost stays linear in the length of its paragraphs. Qt's
// line breaking looks ahead, for every line, to the next break opportunity: in a paragraph that
// has none for a long stretch (a long line without blanks) the cost grows with the square of the
// stretch. A paragraph with more than LongRun characters between two break opportunities (the
// blanks after a word count with it) therefore wraps anywhere; every other paragraph wraps at word
// boundaries, as before. The text itself is never touched.
//
// Each paragraph takes the direction of its own text: one in Hebrew or Arabic stands at the right.
class LongRunLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    // Longer than a line of any field, short enough that searching it for every line costs little.
    static constexpr qsizetype LongRun = 500;

    // Gives `edit` a document laid out this way (made for it, empty).
    static void install(QPlainTextEdit *edit);

    // Throws std::bad_alloc when the memory that showing `text` may take cannot be had: its copy in
    // the document and the layout of its longest paragraph, which any scrolling may bring into
    // view. Qt's text layout does not survive running out of memory, so this is asked first.
    static void ensureRoomFor(QStringView text);

    // Whether `text` has more than LongRun characters between two line break opportunities.
    [[nodiscard]] static bool hasLongRun(QStringView text);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    LongRunLayout(QTextDocument *document, QWidget *viewport);

    [[nodiscard]] bool wrapsAnywhere(const QTextBlock &block) const;
    static void alignByDirection(const QTextBlock &block);
    void layOutAnywhere(const QTextBlock &block) const;

    // The field's viewport, whose width the lines take, as for every other paragraph.
    QPointer<QWidget> m_viewport;
};

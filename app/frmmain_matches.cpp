// SPDX-License-Identifier: GPL-3.0-or-later
// The filter's matches in the note shown: highlighted, the first scrolled to, and the next and
// previous selected on request.

#include "backgroundjob.h"
#include "frmmain.h"
#include "notelistpanel.h"
#include "notematch.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>

namespace {

// Matches highlighted in one note, at most: a note full of them shows the first ones.
constexpr qsizetype MaxMatches = 10000;

// Positions in `text` as the body's document counts them: it holds each CR LF as one break.
void toDocumentPositions(QStringView text, QList<qsizetype> &positions)
{
    qsizetype pairs = 0;
    qsizetype at = 0;
    for (qsizetype &position : positions) {
        for (; at < position; ++at) {
            if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n')
                ++pairs;
        }
        position -= pairs;
    }
}

QTextCursor selection(QTextDocument *document, qsizetype start, qsizetype length)
{
    QTextCursor cursor(document);
    cursor.setPosition(int(start));
    cursor.setPosition(int(std::min<qsizetype>(start + length, document->characterCount() - 1)),
                       QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

bool frmMain::isFindingMatches() const
{
    return m_matchSearch != nullptr && m_matchSearch->isRunning();
}

// Off the user-interface thread: a large note takes longer to search than a keystroke may.
void frmMain::findMatches()
{
    if (m_matchSearch == nullptr)
        m_matchSearch = new BackgroundJob(this);
    const QString query = pnlNotes->query();
    m_matches.clear();
    m_matchesQuery = query;
    m_matchSearch->cancel();
    mnuView[4]->setEnabled(!query.isEmpty());
    mnuView[5]->setEnabled(!query.isEmpty());
    if (query.isEmpty() || m_view.txtBody.isEmpty()) {
        showMatches();
        return;
    }
    m_matchSearch->start([this, body = m_view.txtBody, query](const BackgroundJob::Cancelled &,
                                                              const BackgroundJob::Hand &hand) {
        QList<qsizetype> found = NoteMatcher(query).matchesIn(body, MaxMatches);
        toDocumentPositions(body, found);
        hand([this, found = std::move(found)] {
            m_matches = found;
            showMatches();
        });
    });
}

// The matches on a light background, the first selected and scrolled to.
void frmMain::showMatches()
{
    QList<QTextEdit::ExtraSelection> marks;
    const qsizetype length = NoteMatcher(m_matchesQuery).length();
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 232, 110));
    mark.setForeground(QColor(Qt::black));
    marks.reserve(m_matches.size());
    for (const qsizetype start : std::as_const(m_matches))
        marks.append({selection(txtBody->document(), start, length), mark});
    txtBody->setExtraSelections(marks);
    if (!m_matches.isEmpty()) {
        txtBody->setTextCursor(selection(txtBody->document(), m_matches.front(), length));
        txtBody->ensureCursorVisible();
    }
}

// From the selection on, round past either end.
void frmMain::StepMatch(int direction)
{
    if (m_matches.isEmpty())
        return;
    const qsizetype length = NoteMatcher(m_matchesQuery).length();
    const qsizetype from = txtBody->textCursor().selectionStart();
    qsizetype next = 0;
    if (direction > 0) {
        const auto after = std::upper_bound(m_matches.cbegin(), m_matches.cend(), from);
        next = after == m_matches.cend() ? m_matches.front() : *after;
    } else {
        const auto at = std::lower_bound(m_matches.cbegin(), m_matches.cend(), from);
        next = at == m_matches.cbegin() ? m_matches.back() : *(at - 1);
    }
    txtBody->setTextCursor(selection(txtBody->document(), next, length));
    txtBody->ensureCursorVisible();
}

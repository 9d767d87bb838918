// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>

// One line on standard error that tells how far a long run has come (notes done of all, notes a
// second), redrawn in place a few times a second and cleared at the end. Shown only when
// standard error is a terminal and the run has more than `threshold` notes, and never on the
// terminal that standard output shows when the run writes there (`writesOutput`): the line would
// be drawn over the notes.
class ProgressLine
{
public:
    ProgressLine(qsizetype total, bool writesOutput, qsizetype threshold = 200);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void advance(qsizetype done);
    // Takes the line away, before a message or at the end.
    void clear();

private:
    bool m_shown = false;
    bool m_drawn = false;
    qsizetype m_total;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = 0;
};

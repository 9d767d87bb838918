// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For the start-up benchmarks: reports the moment a widget has first been painted, then ends the
// program (or hands over to what is to follow). The time is CLOCK_MONOTONIC in nanoseconds, so that
// the caller can subtract the moment it started the process; the peak resident memory (VmHWM, in
// KiB) comes with it.

#include <QObject>

#include <functional>

class QWidget;

class ShownProbe : public QObject
{
    Q_OBJECT

public:
    // Watches `widget` once `ready` says that what is to be shown is in place; after the report,
    // `then` runs instead of the program ending, when it is given.
    ShownProbe(QWidget *widget, std::function<bool()> ready, std::function<void()> then = {});

    // "shown NS maxrss KB" on standard output.
    static void report();

    // CLOCK_MONOTONIC in nanoseconds.
    static long long now();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void finish();

private:
    QWidget *m_widget;
    std::function<bool()> m_ready;
    std::function<void()> m_then;
    bool m_reported = false;
};

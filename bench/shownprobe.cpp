// SPDX-License-Identifier: GPL-3.0-or-later
#include "shownprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <ctime>

ShownProbe::ShownProbe(QWidget *widget, std::function<bool()> ready, std::function<void()> then)
    : QObject(widget), m_widget(widget), m_ready(std::move(ready)), m_then(std::move(then))
{
    widget->installEventFilter(this);
}

long long ShownProbe::now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

void ShownProbe::report()
{
    const long long shownAt = now();
    // The peak of this program's own memory: getrusage's maxrss would carry over the peak of the
    // process that started it, across exec.
    long peakKilobytes = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peakKilobytes = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    std::printf("shown %lld maxrss %ld\n", shownAt, peakKilobytes);
    std::fflush(stdout);
}

bool ShownProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && event->type() == QEvent::Paint && !m_reported && m_ready()) {
        m_reported = true;
        // After this paint has been done and flushed to the screen: the next turn of the loop.
        QMetaObject::invokeMethod(this, "finish", Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void ShownProbe::finish()
{
    report();
    if (m_then)
        m_then();
    else
        QCoreApplication::exit(0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundjob.h"

#include "backgroundwork.h"

#include <deque>
#include <mutex>
#include <utility>

// What jobs hand over through: the object while it lives, and the work handed over and not yet
// run. A job cancelled some time ago may still be finishing its last file when the object goes.
//
// The work itself waits here, under a lock of ours, rather than in the event that wakes the
// object: Qt's event queue is locked inside Qt's library, where a thread sanitizer cannot see
// the lock unless Qt was built with one, and every hand-over would then look like a data race.
struct BackgroundJob::Owner
{
    std::mutex mutex;
    BackgroundJob *job = nullptr;
    std::deque<std::pair<quint64, std::function<void()>>> handedOver;
};

BackgroundJob::BackgroundJob(QObject *parent) : QObject(parent), m_owner(std::make_shared<Owner>())
{
    m_owner->job = this;
}

BackgroundJob::~BackgroundJob()
{
    cancel();
    std::deque<std::pair<quint64, std::function<void()>>> handedOver;
    {
        const std::lock_guard lock(m_owner->mutex);
        m_owner->job = nullptr;
        handedOver.swap(m_owner->handedOver);
    }
    // Work handed over and not yet run goes with this object, outside the lock.
}

void BackgroundJob::cancel()
{
    if (m_cancelled)
        m_cancelled->store(true, std::memory_order_relaxed);
    ++m_generation;
    m_running = false;
}

void BackgroundJob::runHandedOver()
{
    std::pair<quint64, std::function<void()>> next;
    {
        const std::lock_guard lock(m_owner->mutex);
        if (m_owner->handedOver.empty())
            return;
        next = std::move(m_owner->handedOver.front());
        m_owner->handedOver.pop_front();
    }
    if (next.first == m_generation)
        next.second();
}

void BackgroundJob::start(Job job, std::function<void()> finished)
{
    cancel();
    m_running = true;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_cancelled = cancelled;
    const quint64 generation = m_generation;
    // Runs `work` on the object's thread, if the job is still the one under way by then.
    const Hand hand = [owner = m_owner, generation](std::function<void()> work) {
        const std::lock_guard lock(owner->mutex);
        if (owner->job == nullptr)
            return;
        owner->handedOver.emplace_back(generation, std::move(work));
        // By name: the event that wakes the object then carries nothing made here.
        QMetaObject::invokeMethod(owner->job, "runHandedOver", Qt::QueuedConnection);
    };
    const auto done = [this, finished = std::move(finished)] {
        m_running = false;
        if (finished)
            finished();
    };
    // Not waited for: the job stops at its next check once cancelled, and hands over nothing.
    static_cast<void>(RunInBackground<void>(
        [cancelled, hand, done, job = std::move(job)](QFutureInterface<void> &) {
            job([&cancelled] { return cancelled->load(std::memory_order_relaxed); }, hand);
            if (!cancelled->load(std::memory_order_relaxed))
                hand(done);
        }));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundjob.h"

#include "backgroundwork.h"

#include <QtConcurrent/QtConcurrentRun>

#include <mutex>

// What jobs hand over through: the object while it lives. A job cancelled some time ago may still
// be finishing its last file when the object goes.
struct BackgroundJob::Owner
{
    std::mutex mutex;
    BackgroundJob *job = nullptr;
};

BackgroundJob::BackgroundJob(QObject *parent) : QObject(parent), m_owner(std::make_shared<Owner>())
{
    m_owner->job = this;
}

BackgroundJob::~BackgroundJob()
{
    cancel();
    const std::lock_guard lock(m_owner->mutex);
    // Hand-overs already queued go with this object.
    m_owner->job = nullptr;
}

void BackgroundJob::cancel()
{
    if (m_cancelled)
        m_cancelled->store(true, std::memory_order_relaxed);
    ++m_generation;
    m_running = false;
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
        BackgroundJob *self = owner->job;
        if (self == nullptr)
            return;
        QMetaObject::invokeMethod(
            self,
            [self, generation, work = std::move(work)] {
                if (generation == self->m_generation)
                    work();
            },
            Qt::QueuedConnection);
    };
    const auto done = [this, finished = std::move(finished)] {
        m_running = false;
        if (finished)
            finished();
    };
    // Not waited for: the job stops at its next check once cancelled, and hands over nothing.
    static_cast<void>(
        QtConcurrent::run(&BackgroundPool(), [cancelled, hand, done, job = std::move(job)] {
            LowerThreadPriority();
            job([&cancelled] { return cancelled->load(std::memory_order_relaxed); }, hand);
            if (!cancelled->load(std::memory_order_relaxed))
                hand(done);
        }));
}

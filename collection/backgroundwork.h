// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QFutureInterface>
#include <QRunnable>
#include <QThreadPool>

#include <atomic>
#include <exception>
#include <utility>

// The threads that work in the background: listing folders and searching notes. A pool of their
// own, since Qt paints large areas with the help of its global pool, and painting must never wait
// for a search. Its threads run below the user-interface thread (see LowerThreadPriority).
QThreadPool &BackgroundPool();

// Puts the calling thread below the user-interface thread for the processor, so that background
// work never keeps the window waiting, also on a machine with no core to spare. The thread stays
// there; lowering it again does nothing.
void LowerThreadPriority();

namespace backgroundwork {

// One piece of background work and the future it reports to. The task passes from the thread
// that starts it to the pool's thread through an atomic flag as well as through the pool: the
// pool's own locks are in Qt's library, where a thread sanitizer cannot see them unless Qt was
// built with one, and every task would then look like a data race.
template <typename Result, typename Work> class Task final : public QRunnable
{
public:
    explicit Task(Work &&work) : m_work(std::move(work)) {}

    QFuture<Result> start()
    {
        QThreadPool &pool = BackgroundPool();
        // Known to the future, so that waiting for it runs the task there when no thread of the
        // pool has taken it yet.
        m_future.setThreadPool(&pool);
        m_future.setRunnable(this);
        m_future.reportStarted();
        QFuture<Result> future = m_future.future();
        m_handedOver.store(true, std::memory_order_release);
        pool.start(this);
        return future;
    }

    void run() override
    {
        // Pairs with the store in start(): all that the starting thread wrote is seen here.
        m_handedOver.load(std::memory_order_acquire);
        LowerThreadPriority();
        if (!m_future.isCanceled()) {
            try {
                m_work(m_future);
            } catch (...) {
                m_future.reportException(std::current_exception());
            }
        }
        m_future.reportFinished();
    }

private:
    QFutureInterface<Result> m_future;
    Work m_work;
    std::atomic<bool> m_handedOver{false};
};

} // namespace backgroundwork

// Runs `work(future)` on a thread of the background pool, below the user-interface thread, as
// QtConcurrent::run does: `work` reports its results to `future` (a QFutureInterface<Result>)
// and stops early once the future is cancelled; the returned future ends when it returns.
template <typename Result, typename Work> QFuture<Result> RunInBackground(Work work)
{
    return (new backgroundwork::Task<Result, Work>(std::move(work)))->start();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// Makes a result for each of `count` items on `threads` threads of its own and on the thread that
// takes them, and hands the results over in item order, as soon as each one and all before it are
// done: rather than wait for the one due, the taking thread makes the next item not yet started.
// Memory stays bounded however many items there are: no more than `maxAhead` results are done or in
// hand ahead of the one due, and no item is started while results of `maxWeight` weight in all wait
// to be taken, unless it is the one due. A result's weight is what `weigh` says of it, such as its
// size in bytes.
//
// Handing an item from one thread to another costs more than the work on a small note, so each
// thread takes a run of items at a time, and the taker is woken for a batch of results, not for
// each one. Destroying the work stops it: each thread ends once the item in its hands is made.
//
// The one worker of its kind: export, search and the note list all go through it.
template <typename Result> class OrderedWork
{
public:
    using Make = std::function<Result(qsizetype index)>;
    using Weigh = std::function<qsizetype(const Result &)>;

    // `threadStart`, when given, runs first on each thread of its own, such as to lower the
    // thread's priority.
    OrderedWork(qsizetype count, Make make, Weigh weigh, int threads, qsizetype maxAhead,
                qsizetype maxWeight, const std::function<void()> &threadStart = {})
        : m_count(count), m_make(std::move(make)), m_weigh(std::move(weigh)),
          m_slots(size_t(std::max<qsizetype>(maxAhead, 1))), m_maxWeight(maxWeight),
          m_run(std::max<qsizetype>(qsizetype(m_slots.size()) / 4, 1))
    {
        for (int i = 0; i < threads; ++i) {
            try {
                m_threads.emplace_back([this, threadStart] {
                    if (threadStart)
                        threadStart();
                    work();
                });
            } catch (const std::system_error &) {
                break; // fewer threads; with none, next() makes each result itself
            }
        }
    }
    ~OrderedWork()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_canStart.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }
    OrderedWork(const OrderedWork &) = delete;
    OrderedWork &operator=(const OrderedWork &) = delete;

    // Whether next() has its result at hand, so that it will not wait.
    bool ready()
    {
        const std::lock_guard lock(m_mutex);
        return m_taken == m_count || m_threads.empty() || slot(m_taken).has_value();
    }

    // The next result in item order; false once all have been taken.
    bool next(Result &result)
    {
        std::unique_lock lock(m_mutex);
        if (m_taken == m_count)
            return false;
        if (m_threads.empty()) {
            m_started = m_taken + 1;
            lock.unlock();
            result = m_make(m_taken++);
            return true;
        }
        std::optional<Result> &due = slot(m_taken);
        while (!due.has_value()) {
            // Rather than wait, make an item here: the taking thread is one of the makers.
            if (mayClaim()) {
                makeItem(lock, m_started++);
                continue;
            }
            m_waitingForResult = true;
            m_done.wait(lock, [&] { return due.has_value() || mayClaim(); });
            m_waitingForResult = false;
        }
        result = std::move(*due);
        due.reset();
        m_heldWeight -= m_weigh(result);
        ++m_taken;
        // Threads waiting for room are woken once there is room for a run, not for each item.
        if (m_waiting > 0 && (m_roomWaiting > 0 || m_started == m_taken || roomForRun() ||
                              m_heldWeight < m_maxWeight / 2))
            m_canStart.notify_all();
        return true;
    }

private:
    std::optional<Result> &slot(qsizetype index)
    {
        return m_slots[size_t(index % qsizetype(m_slots.size()))];
    }

    [[nodiscard]] bool roomForRun() const
    {
        return m_started - m_taken <= qsizetype(m_slots.size()) - m_run;
    }

    // Whether the next item not yet started may be started now.
    [[nodiscard]] bool mayClaim() const
    {
        return m_started < m_count && m_started - m_taken < qsizetype(m_slots.size()) &&
               mayStart(m_started);
    }

    // Makes item `index` without holding `lock`, and puts its result in its slot.
    void makeItem(std::unique_lock<std::mutex> &lock, qsizetype index)
    {
        lock.unlock();
        Result result = m_make(index);
        const qsizetype weight = m_weigh(result);
        lock.lock();
        slot(index) = std::move(result);
        m_heldWeight += weight;
    }

    // Whether item `index` may be started now.
    [[nodiscard]] bool mayStart(qsizetype index) const
    {
        return index == m_taken || m_heldWeight < m_maxWeight;
    }

    // Whether the taker should have the result due now: with a batch after it, or when the
    // thread that made the last result has no more in hand (`endOfRun`), which does not wait.
    bool shouldWakeTaker(bool endOfRun)
    {
        if (!m_waitingForResult || !slot(m_taken).has_value())
            return false;
        if (endOfRun || m_started == m_count)
            return true;
        qsizetype run = 1;
        while (run < WakeBatch && m_taken + run < m_started && slot(m_taken + run).has_value())
            ++run;
        return run == WakeBatch;
    }

    // Waits, under `lock`, until `canGo` or the end; false at the end.
    template <typename CanGo>
    bool waitFor(std::unique_lock<std::mutex> &lock, int &counter, CanGo canGo)
    {
        if (!canGo()) {
            if (m_waitingForResult && slot(m_taken).has_value())
                m_done.notify_one(); // the taker must not wait on this thread
            ++m_waiting;
            ++counter;
            m_canStart.wait(lock, [&] { return m_stopping || canGo(); });
            --counter;
            --m_waiting;
        }
        return !m_stopping;
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        int claimWaiting = 0;
        for (;;) {
            if (!waitFor(lock, claimWaiting, [&] { return mayClaim(); }))
                return;
            const qsizetype first = m_started;
            const qsizetype last =
                std::min({m_count, first + m_run, m_taken + qsizetype(m_slots.size())});
            m_started = last;
            for (qsizetype index = first; index < last; ++index) {
                if (!waitFor(lock, m_roomWaiting, [&] { return mayStart(index); }))
                    return;
                makeItem(lock, index);
                if (shouldWakeTaker(index + 1 == last))
                    m_done.notify_one();
            }
        }
    }

    static constexpr qsizetype WakeBatch = 8;

    const qsizetype m_count;
    const Make m_make;
    const Weigh m_weigh;
    std::vector<std::optional<Result>> m_slots; // ring buffer of results, by index
    const qsizetype m_maxWeight;
    const qsizetype m_run; // items a thread takes at a time
    std::vector<std::thread> m_threads;

    std::mutex m_mutex;
    std::condition_variable m_canStart;
    std::condition_variable m_done;
    qsizetype m_started = 0; // items given to a thread
    qsizetype m_taken = 0;
    qsizetype m_heldWeight = 0;
    int m_waiting = 0;     // threads waiting on m_canStart
    int m_roomWaiting = 0; // of those, threads waiting in the middle of their run
    bool m_waitingForResult = false;
    bool m_stopping = false;
};

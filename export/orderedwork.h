// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// Makes a result for each of `count` items on a few threads of its own and hands the results
// over in item order, as soon as each one and all before it are done. Memory stays bounded
// however many items there are: no item is started while `maxAhead` results, or results of
// `maxWeight` weight in all, are done but not yet taken (the next one due is always started,
// whatever its weight). A result's weight is what `weigh` says of it, such as its size in bytes.
template <typename Result> class OrderedWork
{
public:
    using Make = std::function<Result(qsizetype index)>;
    using Weigh = std::function<qsizetype(const Result &)>;

    OrderedWork(qsizetype count, Make make, Weigh weigh, int threads, qsizetype maxAhead,
                qsizetype maxWeight)
        : m_count(count), m_make(std::move(make)), m_weigh(std::move(weigh)),
          m_slots(size_t(std::max<qsizetype>(maxAhead, 1))), m_maxWeight(maxWeight)
    {
        for (int i = 0; i < threads; ++i) {
            try {
                m_threads.emplace_back([this] { work(); });
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
        return m_taken == m_count || m_threads.empty() ||
               m_slots[size_t(m_taken % qsizetype(m_slots.size()))].has_value();
    }

    // The next result in item order; false once all have been taken.
    bool next(Result &result)
    {
        std::unique_lock lock(m_mutex);
        if (m_taken == m_count)
            return false;
        std::optional<Result> &slot = m_slots[size_t(m_taken % qsizetype(m_slots.size()))];
        if (m_threads.empty()) {
            ++m_started;
            lock.unlock();
            result = m_make(m_taken++);
            return true;
        }
        m_waitingForResult = true;
        m_done.wait(lock, [&] { return slot.has_value(); });
        m_waitingForResult = false;
        result = std::move(*slot);
        slot.reset();
        m_heldWeight -= m_weigh(result);
        ++m_taken;
        if (m_startersWaiting > 0)
            m_canStart.notify_all();
        return true;
    }

private:
    bool mayStart() const
    {
        return m_started < m_count && m_started - m_taken < qsizetype(m_slots.size()) &&
               (m_heldWeight < m_maxWeight || m_started == m_taken);
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_startersWaiting;
            m_canStart.wait(lock, [&] { return m_stopping || mayStart(); });
            --m_startersWaiting;
            if (m_stopping)
                return;
            const qsizetype index = m_started++;
            lock.unlock();
            Result result = m_make(index);
            const qsizetype weight = m_weigh(result);
            lock.lock();
            m_slots[size_t(index % qsizetype(m_slots.size()))] = std::move(result);
            m_heldWeight += weight;
            if (m_waitingForResult && index == m_taken)
                m_done.notify_one();
        }
    }

    const qsizetype m_count;
    const Make m_make;
    const Weigh m_weigh;
    std::vector<std::optional<Result>> m_slots; // ring buffer of results, by index
    const qsizetype m_maxWeight;
    std::vector<std::thread> m_threads;

    std::mutex m_mutex;
    std::condition_variable m_canStart;
    std::condition_variable m_done;
    qsizetype m_started = 0;
    qsizetype m_taken = 0;
    qsizetype m_heldWeight = 0;
    int m_startersWaiting = 0;
    bool m_waitingForResult = false;
    bool m_stopping = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

// One job at a time on the background pool, handing what it finds to this object's thread as it
// goes. Nothing is kept on the way (unlike a future's results), and a job that has been replaced
// or cancelled hands over nothing more.
class BackgroundJob : public QObject
{
    Q_OBJECT

public:
    using Cancelled = std::function<bool()>;
    // Runs a function on this object's thread, after what was handed over before it.
    using Hand = std::function<void(std::function<void()>)>;
    using Job = std::function<void(const Cancelled &, const Hand &)>;

    explicit BackgroundJob(QObject *parent = nullptr);
    // Cancels the job, which stops at its next check and hands over nothing more.
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Cancels the job under way and runs `job` instead, at a priority below the user-interface
    // thread's; `finished` runs on this object's thread once it has ended, unless it was
    // cancelled.
    void start(Job job, std::function<void()> finished = {});
    void cancel();
    // From start() until `finished` has run, or cancel().
    [[nodiscard]] bool isRunning() const { return m_running; }

private:
    // Runs the oldest piece of work handed over, if its job is still the one under way.
    Q_INVOKABLE void runHandedOver();

    struct Owner;
    std::shared_ptr<Owner> m_owner;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    quint64 m_generation = 0;
    bool m_running = false;
};

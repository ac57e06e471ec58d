#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Measures how long the event loop of the thread it lives on goes without
// turning: a timer that should fire every few milliseconds records the
// longest gap between two firings. Time the thread spent ready to run but
// waiting for a core (other programs keeping a loaded machine busy, as the
// kernel's scheduler statistics tell) is not counted: what is measured is
// the thread running long or waiting on something itself. A loop blocked for good would never let
// the test report that, so a watchdog thread ends the test (as failed) when
// the loop has not turned for `giveUpMs`.
class StallMeter
{
public:
    explicit StallMeter(int giveUpMs = 15000)
        : m_giveUpMs(giveUpMs)
    {
        m_clock.start();
        m_tick.setInterval(5);
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { tick(); });
        m_tick.start();
        m_last = m_clock.elapsed();
        m_watchdog = std::thread([this] { watch(); });
    }

    ~StallMeter()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_watchdog.join();
    }

    // Starts measuring afresh.
    void reset()
    {
        skip();
        m_longest = 0;
    }
    // The time since the loop last turned is not counted: the test itself
    // kept it busy (sending a key, say).
    void skip()
    {
        m_lastQueuedNs = queuedNs();
        m_last = m_clock.elapsed();
    }
    // The longest time the loop went without turning, in milliseconds.
    qint64 longestMs() const { return m_longest; }

private:
    void tick()
    {
        const qint64 queued = queuedNs();
        const qint64 now = m_clock.elapsed();
        m_longest = qMax(m_longest.load(), now - m_last.load() - (queued - m_lastQueuedNs) / 1000000);
        m_last = now;
        m_lastQueuedNs = queued;
    }

    // How long this thread has waited for a core so far, in nanoseconds
    // (0 where the kernel does not say).
    static qint64 queuedNs()
    {
        QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        const QList<QByteArray> fields = stat.readAll().split(' ');
        return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
    }

    void watch()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; })) {
            const qint64 stalled = m_clock.elapsed() - m_last;
            if (stalled > m_giveUpMs) {
                std::fprintf(stderr, "FAIL: the event loop has been blocked for %lld ms\n", stalled);
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    const int m_giveUpMs;
    QElapsedTimer m_clock;
    QTimer m_tick;
    std::atomic<qint64> m_last{0};
    std::atomic<qint64> m_longest{0};
    qint64 m_lastQueuedNs = queuedNs();
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_watchdog;
};

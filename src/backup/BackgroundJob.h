#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QThread;

// Runs one job (a daily backup, a pass over the sync folder) on a thread of
// its own, so the window that starts it never waits: a synced folder can
// hang for as long as its network or its USB stick pleases. `finished`
// comes back on the application's (GUI) thread.
class BackgroundJob : public QObject
{
    Q_OBJECT

public:
    using Job = std::function<QString()>;
    explicit BackgroundJob(Job job, QObject *parent = nullptr);
    // A job still running is waited for at most ExitWaitMs, then left to the
    // end of the process; its files are written so that being cut off at any
    // point loses nothing already there.
    ~BackgroundJob() override;

    void start();
    bool isRunning() const;
    // Waits at most `ms`; true when the job is over.
    bool waitFor(int ms);

    static constexpr int ExitWaitMs = 5000;

signals:
    // The job's own one-line account of what it did.
    void finished(const QString &summary);

private:
    Job m_job;
    QThread *m_thread = nullptr;
};

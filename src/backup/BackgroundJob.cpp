#include "backup/BackgroundJob.h"

#include <QCoreApplication>
#include <QThread>

BackgroundJob::BackgroundJob(Job job, QObject *parent)
    : QObject(parent)
    , m_job(std::move(job))
{
}

BackgroundJob::~BackgroundJob()
{
    if (!m_thread)
        return;
    if (m_thread->wait(ExitWaitMs)) {
        delete m_thread;
        return;
    }
    // Destroying a running thread would end the process at once; it is left
    // to finish (or to be cut off when the process ends). The job holds its
    // own copies of everything it uses.
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
}

void BackgroundJob::start()
{
    if (m_thread)
        return;
    QPointer<BackgroundJob> self(this);
    const Job job = m_job;
    m_thread = QThread::create([self, job] {
        const QString summary = job();
        // Queued: `finished` is emitted where the job's owner lives, and not
        // at all once the owner is gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, summary] {
                if (self)
                    emit self->finished(summary);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

bool BackgroundJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

bool BackgroundJob::waitFor(int ms)
{
    return !m_thread || m_thread->wait(ms);
}

#include "library/ImportTask.h"

#include <QThread>

ImportTask::ImportTask(QObject *parent)
    : QObject(parent)
{
}

ImportTask::~ImportTask()
{
    // The threads post their results to this object: they must be gone
    // before it is. A stopped parse notices within a few thousand lines.
    for (Job &job : m_jobs)
        job.stop->store(true);
    for (Job &job : m_jobs) {
        job.thread->wait();
        delete job.thread;
    }
}

void ImportTask::start(const QByteArray &bytes, const Import::Choice &choice, const Import::MeaningLookup &lookup)
{
    for (Job &job : m_jobs)
        job.stop->store(true);
    reap();
    const quint64 generation = ++m_generation;
    m_running = true;
    auto stop = std::make_shared<std::atomic_bool>(false);
    QThread *thread = QThread::create([this, bytes, choice, lookup, stop, generation] {
        int lastPercent = -1;
        const Import::Progress report = [&](qsizetype done, qsizetype total) {
            const int percent = total > 0 ? int(done * 100 / total) : 0;
            if (percent != lastPercent) {
                lastPercent = percent;
                QMetaObject::invokeMethod(
                    this, [this, percent, generation] {
                        if (generation == m_generation)
                            emit progress(percent);
                    },
                    Qt::QueuedConnection);
            }
            return !stop->load();
        };
        Import::Outcome outcome = Import::parse(bytes, choice, lookup, report);
        if (stop->load())
            return;
        QByteArray library;
        if (!outcome.records.isEmpty())
            library = Import::libraryBytes(outcome.records);
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome), library = std::move(library), generation] {
                if (generation != m_generation)
                    return;
                m_running = false;
                emit finished(outcome, library);
                reap();
            },
            Qt::QueuedConnection);
    });
    m_jobs.push_back(Job{thread, stop});
    thread->start();
}

// Deletes the threads that have ended.
void ImportTask::reap()
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (it->thread->isFinished()) {
            delete it->thread;
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
}

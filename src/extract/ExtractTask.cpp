#include "extract/ExtractTask.h"

#include <QThread>

ExtractTask::ExtractTask(Dictionary &dictionary, QObject *parent)
    : QObject(parent)
    , m_dictionary(dictionary)
{
}

ExtractTask::~ExtractTask()
{
    // The thread posts its result to this object: it must be gone first.
    if (m_thread) {
        m_stop->store(true);
        m_thread->wait();
        delete m_thread;
    }
}

void ExtractTask::start(const QString &path, const ExtractOptions &givenOptions)
{
    if (m_thread)
        return; // one file a task
    m_running = true;
    m_stop = std::make_shared<std::atomic_bool>(false);
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    m_thread = QThread::create([this, path, givenOptions, stop] {
        int lastPercent = -1;
        const auto report = [&](int percent) {
            if (percent != lastPercent) {
                lastPercent = percent;
                QMetaObject::invokeMethod(this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
            }
            return !stop->load();
        };
        ExtractOptions options = givenOptions;
        options.progress = report;
        ExtractResult result = extractFromFile(path, m_dictionary, options);
        if (stop->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

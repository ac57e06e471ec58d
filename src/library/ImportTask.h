#pragma once

#include "library/Importer.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

// Reads a word list on a thread of its own, so that a window stays
// responsive while a file of many megabytes is parsed and converted into a
// library file. Each start() parses the bytes once for that choice; a parse
// still running is stopped and its result never arrives. Deleting the task
// stops every parse and waits for its thread, so no thread outlives it.
class ImportTask : public QObject
{
    Q_OBJECT

public:
    explicit ImportTask(QObject *parent = nullptr);
    ~ImportTask() override;

    // `lookup` is called on the parse's thread.
    void start(const QByteArray &bytes, const Import::Choice &choice, const Import::MeaningLookup &lookup);
    bool isRunning() const { return m_running; }

signals:
    // Percent of the text read, now and then during a long parse.
    void progress(int percent);
    // The outcome, and the records as one of our library files (empty when
    // there are none).
    void finished(const Import::Outcome &outcome, const QByteArray &library);

private:
    struct Job
    {
        QThread *thread = nullptr;
        std::shared_ptr<std::atomic_bool> stop;
    };
    void reap();

    std::vector<Job> m_jobs;
    quint64 m_generation = 0;
    bool m_running = false;
};

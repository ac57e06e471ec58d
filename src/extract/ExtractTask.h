#pragma once

#include "extract/WordExtractor.h"

#include <QObject>

#include <atomic>
#include <memory>

class Dictionary;
class QThread;

// Reads a text, subtitle, web page or e-book and picks its words on a thread
// of its own, so the window that asked stays responsive through a novel.
// One file a task. Deleting the task stops the extraction and waits for its
// thread: the extraction notices between blocks of text, so the wait is for
// at most the file's read (an e-book's unpacking, about a second for a large
// one), and no thread outlives the dictionary it reads.
class ExtractTask : public QObject
{
    Q_OBJECT

public:
    explicit ExtractTask(Dictionary &dictionary, QObject *parent = nullptr);
    ~ExtractTask() override;

    // Starts on `path`; `options.progress` is the task's own.
    void start(const QString &path, const ExtractOptions &options);
    bool isRunning() const { return m_running; }

signals:
    // Percent of the work done, now and then.
    void progress(int percent);
    // The outcome; a file that could not be read has its reason in `error`.
    void finished(const ExtractResult &result);

private:
    Dictionary &m_dictionary;
    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_stop;
    bool m_running = false;
};

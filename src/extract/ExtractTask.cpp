#include "extract/ExtractTask.h"

#include "extract/TextSources.h"

#include <QThread>

namespace {
// Reading the file is told as the first tenth of the work.
constexpr int ReadShare = 10;
} // namespace

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
        report(0);
        ExtractResult result;
        const TextSources::Document document = TextSources::readFile(path);
        if (!document.error.isEmpty()) {
            result.error = document.error;
        } else if (document.blocks.isEmpty()) {
            result.error = QStringLiteral("文件是空的，没有可提取的文字。");
        } else if (report(ReadShare)) {
            ExtractOptions options = givenOptions;
            options.progress = [&](int percent) { return report(ReadShare + percent * (100 - ReadShare) / 100); };
            BaseForms baseForms(m_dictionary);
            result = extractWords(document.blocks, m_dictionary, baseForms, options);
        }
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

// A 50 MB tab-separated word list as the import preview reads it: the
// format guessed from its head, then one parse on the import thread while
// the main thread keeps running its event loop. Prints the parse time, the
// longest the event loop went without a turn (what the user would feel as a
// frozen window), and the process's peak memory against the file's size.
//
// The file is made here, in memory: it is never committed.

#include "library/ImportTask.h"
#include "library/Importer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTimer>

#include <cstdio>

namespace {

constexpr qsizetype TargetBytes = 50 * 1000 * 1000;

QByteArray bigList()
{
    QString text;
    text.reserve(TargetBytes / 2 + 4096);
    QByteArray bytes;
    QStringEncoder encoder("GB18030");
    for (int n = 1; bytes.size() < TargetBytes; ++n) {
        text += QStringLiteral("word%1\tn. 释义%1，含义；用法 %1\r\n").arg(n);
        if (text.size() > 1 << 20) {
            bytes += encoder.encode(text);
            text.clear();
        }
    }
    bytes += encoder.encode(text);
    return bytes;
}

// Peak resident memory of this process, in MB.
double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray bytes = bigList();
    const double afterFile = peakMb();

    QElapsedTimer timer;
    timer.start();
    const Import::Format format = Import::guessFormat(QStringLiteral("big.txt"), bytes);
    const double guessMs = double(timer.nsecsElapsed()) / 1e6;

    ImportTask task;
    qsizetype records = 0;
    qsizetype libraryBytes = 0;
    int progressReports = 0;
    QObject::connect(&task, &ImportTask::progress, [&](int) { ++progressReports; });
    QObject::connect(&task, &ImportTask::finished, [&](const Import::Outcome &outcome, const QByteArray &library) {
        records = outcome.records.size();
        libraryBytes = library.size();
        app.quit();
    });
    // A tick every 5 ms: the longest gap between two is how long the main
    // thread could not answer.
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = qMax(longestGapMs, sinceTick.restart());
    });
    ticker.start(5);
    sinceTick.start();
    timer.restart();
    task.start(bytes, Import::Choice{format, {}}, {});
    app.exec();
    const double parseMs = double(timer.nsecsElapsed()) / 1e6;

    if (format != Import::Format::Tsv || records == 0 || libraryBytes == 0) {
        std::fprintf(stderr, "import went wrong: format %d, %lld records\n", int(format), static_cast<long long>(records));
        return 1;
    }
    std::printf("import 50 MB TSV: %.1f MB, %lld records\n", double(bytes.size()) / 1e6, static_cast<long long>(records));
    std::printf("  format guessed in %.1f ms\n", guessMs);
    std::printf("  parsed and converted off the main thread in %.0f ms (%d progress reports)\n", parseMs, progressReports);
    std::printf("  longest main-thread gap while parsing: %lld ms (5 ms ticks)\n", static_cast<long long>(longestGapMs));
    std::printf("  peak memory: %.0f MB (%.0f MB with the file alone in memory; %.1fx the file)\n", peakMb(), afterFile,
                peakMb() / (double(bytes.size()) / 1048576.0));
    return 0;
}

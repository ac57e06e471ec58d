// How long importing a 100,000-line tab-separated word list takes: reading
// the file, parsing it into records and converting them into one of our
// two-line GBK libraries. Target: under one second. Also prints the same
// figures for the CSV reader on the same list.

#include "library/Importer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int LineCount = 100000;
constexpr int Runs = 9;

QByteArray wordList(QChar separator)
{
    QString text;
    text.reserve(LineCount * 24);
    for (int n = 1; n <= LineCount; ++n)
        text += QStringLiteral("word%1").arg(n) + separator + QStringLiteral("n. 释义%1，含义").arg(n) + QStringLiteral("\r\n");
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

double medianMs(const QString &path, Import::Format format)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const Import::Outcome outcome = Import::readFile(path, format);
        const QByteArray library = Import::libraryBytes(outcome.records);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (outcome.records.size() != LineCount || library.isEmpty()) {
            std::fprintf(stderr, "import went wrong: %lld records\n", static_cast<long long>(outcome.records.size()));
            std::exit(1);
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const struct {
        const char *name;
        QChar separator;
        Import::Format format;
    } cases[] = {{"tsv", u'\t', Import::Format::Tsv}, {"csv", u',', Import::Format::Csv}};
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile file(path);
        const QByteArray bytes = wordList(c.separator);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
        file.close();
        const double ms = medianMs(path, c.format);
        std::printf("import %s: %d lines, %.1f MB, median of %d: %.1f ms (target < 1000 ms) %s\n", c.name, LineCount,
                    double(bytes.size()) / 1e6, Runs, ms, ms < 1000 ? "ok" : "TOO SLOW");
    }
    return 0;
}

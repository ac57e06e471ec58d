// What the core dictionary costs when it is used: the first lookup (which
// reads the file), the resident memory that adds, and the time of a lookup
// afterwards, over every word of the file in a shuffled order and over as
// many words it does not hold. Target: a lookup under 1 ms.
//
//     bench_dictionary [path/to/ecdict-core.tsv [library.txt ...]]
//
// Without an argument the file staged beside the program (data/ in the build
// folder) is read. For each word library named after it, the share of its
// words the dictionary finds, and finds with a phonetic, is printed too.

#include "dict/Dictionary.h"
#include "library/WordFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Runs = 5;

// Resident memory now, in KiB, from the kernel's view of this process.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The words of the file, in its order.
QStringList wordsOf(const QString &path)
{
    QFile file(path);
    QStringList words;
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            words.append(QString::fromUtf8(line.left(line.indexOf('\t'))));
    }
    return words;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds per call of `call` over `words`, median of the runs.
template <typename Call>
double perWord(const QStringList &words, Call call, int *found)
{
    std::vector<double> runs;
    for (int run = 0; run < Runs; ++run) {
        int hits = 0;
        QElapsedTimer timer;
        timer.start();
        for (const QString &word : words)
            hits += call(word) ? 1 : 0;
        runs.push_back(double(timer.nsecsElapsed()) / 1000.0 / double(words.size()));
        *found = hits;
    }
    return median(runs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir(QCoreApplication::applicationDirPath()).filePath(
                                        QStringLiteral("../data/") + Dictionary::fileName());
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "no dictionary at %s\n", qPrintable(path));
        return 1;
    }

    // The first lookup reads the file; measured before anything else touches it
    // (the words are read afterwards).
    const long before = residentKiB();
    Dictionary dictionary({path});
    QElapsedTimer timer;
    timer.start();
    const bool firstFound = dictionary.lookup(QStringLiteral("the")).has_value();
    const double firstMs = double(timer.nsecsElapsed()) / 1e6;
    const long after = residentKiB();
    if (dictionary.state() != Dictionary::State::Loaded) {
        std::fprintf(stderr, "the dictionary at %s cannot be read\n", qPrintable(path));
        return 1;
    }

    QStringList words = wordsOf(path);
    std::mt19937 random(20261209);
    std::shuffle(words.begin(), words.end(), random);
    QStringList misses;
    for (const QString &word : std::as_const(words))
        misses.append(word + QStringLiteral("qx"));

    int hits = 0;
    const double hitUs = perWord(words, [&](const QString &w) { return dictionary.lookup(w).has_value(); }, &hits);
    int missHits = 0;
    const double missUs =
        perWord(misses, [&](const QString &w) { return dictionary.lookup(w).has_value(); }, &missHits);
    int lines = 0;
    const double lineUs =
        perWord(words, [&](const QString &w) { return !dictionary.meaningLine(w).isEmpty(); }, &lines);

    std::printf("dictionary: %s, %d entries, %.1f MB\n", qPrintable(QDir::toNativeSeparators(path)),
                dictionary.entryCount(), double(QFile(path).size()) / 1e6);
    std::printf("first lookup (reads the file): %.1f ms, found: %s\n", firstMs, firstFound ? "yes" : "no");
    std::printf("resident memory: %.1f MiB before, %.1f MiB after the first lookup (+%.1f MiB)\n", before / 1024.0,
                after / 1024.0, (after - before) / 1024.0);
    std::printf("lookup of a word it holds: %.2f us (median of %d runs over %d words, %d found; target < 1000 us)\n",
                hitUs, Runs, int(words.size()), hits);
    std::printf("lookup of a word it lacks: %.2f us (%d words, %d found)\n", missUs, int(misses.size()), missHits);
    std::printf("lookup and library meaning line: %.2f us (%d lines made)\n", lineUs, lines);

    for (int i = 2; i < argc; ++i) {
        const QString library = QString::fromLocal8Bit(argv[i]);
        QByteArray bytes;
        if (!readWordFileBytes(library, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            continue;
        }
        WordFileReader reader(bytes);
        int total = 0;
        int found = 0;
        int withPhonetic = 0;
        // What a plain list of the library's 100 first (commonest) words
        // would get as meanings.
        int firstWithMeaning = 0;
        QString word;
        QString meaning;
        while (reader.readRecord(word, meaning)) {
            ++total;
            const std::optional<DictionaryEntry> entry = dictionary.lookup(word);
            found += entry ? 1 : 0;
            withPhonetic += entry && !entry->phonetic.isEmpty() ? 1 : 0;
            if (total <= 100)
                firstWithMeaning += dictionary.meaningLine(word).isEmpty() ? 0 : 1;
        }
        std::printf("%s: %d words, %.1f%% found, %.1f%% with a phonetic, meaning lines for %d of the first %d\n",
                    qPrintable(QFileInfo(library).fileName()), total, total ? 100.0 * found / total : 0.0,
                    total ? 100.0 * withPhonetic / total : 0.0, firstWithMeaning, std::min(total, 100));
    }
    return hits == words.size() && missHits == 0 ? 0 : 1;
}

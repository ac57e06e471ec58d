// How long deleting a word from a large library takes, against two copies
// of the library made in the same run: a plain one (read, write) and a
// durable one that takes the same care as the deletion (read, write, fsync,
// rename over the old copy, fsync of the folder).
//
// The library is 250,000 GBK records (about 10 MB, CR LF). Each deletion
// removes one word from the middle of it, writes the rest to the temporary
// file, syncs it and moves it over the library. Target: at most 1.5 times
// the durable copy. The ratio to the plain copy is printed as well, to show
// what the syncs cost.
//
// The box window then loads the group that held the word again; that load is
// timed as well and shown apart, since it is the group loader's own work.

#include "boxes/BoxStore.h"
#include "library/GroupLoader.h"
#include "library/WordFile.h"
#include "settings/CIniFile.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int RecordCount = 250000;
constexpr int Runs = 15;

QString wordOf(int record)
{
    return QStringLiteral("word%1").arg(record);
}

QString meaningOf(int record)
{
    static const QString pieces[] = {
        QStringLiteral("名词"), QStringLiteral("动词"), QStringLiteral("形容词"), QStringLiteral("记忆"),
        QStringLiteral("单词"), QStringLiteral("学习"), QStringLiteral("光明"),   QStringLiteral("宝盒"),
    };
    return QStringLiteral("n. ") + pieces[record % 8] + QStringLiteral("，") + pieces[(record / 8) % 8]
           + pieces[(record / 64) % 8] + QStringLiteral("；") + pieces[(record / 512) % 8];
}

QByteArray makeLibrary()
{
    QString text;
    text.reserve(RecordCount * 30);
    for (int r = 1; r <= RecordCount; ++r)
        text += wordOf(r) + QStringLiteral("\r\n") + meaningOf(r) + QStringLiteral("\r\n");
    return TextCodec::encode(text, TextCodec::Encoding::Gbk);
}

// The yardstick: read the library whole and write it whole to another file.
bool plainCopy(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    in.close();
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    out.close();
    return written;
}

// The durable yardstick: read the library whole, write it to a new file,
// sync it, rename it over `to`, sync the folder.
bool durableCopy(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    in.close();
    const QString fresh = to + QStringLiteral(".new");
    QFile out(fresh);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = out.write(bytes) == bytes.size() && out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    if (!written || ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    const int folder = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder < 0)
        return false;
    const bool synced = ::fsync(folder) == 0;
    ::close(folder);
    return synced;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double fastest(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

double millisecondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString dataDir = folder.filePath(QStringLiteral("data"));
    QDir().mkpath(dataDir);
    const QString libraryFile = QStringLiteral("big.txt");
    const QString libraryPath = dataDir + QStringLiteral("/") + libraryFile;
    const QString copyPath = folder.filePath(QStringLiteral("copy.txt"));
    const QString durablePath = dataDir + QStringLiteral("/durable.txt");

    const QByteArray library = makeLibrary();
    {
        QFile file(libraryPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(library) != library.size()) {
            std::fprintf(stderr, "cannot write the library\n");
            return 1;
        }
    }
    std::printf("library: %d records, %.1f MB\n", RecordCount, double(library.size()) / (1024.0 * 1024.0));

    CIniFile ini;
    ini.SpecifyIni(folder.filePath(QStringLiteral("lexvan.ini")));
    GroupLoaderSetup setup;
    setup.ini = &ini;
    setup.dataDir = dataDir;
    setup.section = QStringLiteral("Form2LastData");
    setup.libraryIndex = 0;
    ini.WriteString(QStringLiteral("LibraryFileName"), QStringLiteral("big"), libraryFile);
    WordTable words;
    qint16 wordCount = 0;

    std::vector<double> copies;
    std::vector<double> durables;
    std::vector<double> rewrites;
    std::vector<double> deletions;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!plainCopy(libraryPath, copyPath)) {
            std::fprintf(stderr, "plain copy failed\n");
            return 1;
        }
        copies.push_back(millisecondsSince(timer));
        timer.restart();
        if (!durableCopy(libraryPath, durablePath)) {
            std::fprintf(stderr, "durable copy failed\n");
            return 1;
        }
        durables.push_back(millisecondsSince(timer));

        // A different word each run, from the middle of the library; it is
        // shown in the top row. The runs before took `run` earlier records out.
        const int record = RecordCount / 2 + 1 + run * GroupSize;
        const int position = record - run;
        const int group = (position - 1) / GroupSize + 1;
        const int slot = (position - 1) % GroupSize;
        WordTable shown;
        shown[0].Word = wordOf(record);
        shown[0].Meaning = meaningOf(record);
        timer.restart();
        const BoxStore::DeleteOutcome outcome =
            BoxStore::DeleteWord(dataDir, libraryFile, &shown[0]);
        rewrites.push_back(millisecondsSince(timer));
        GroupLoadDetails details;
        const qint16 loaded =
            ReadWords(QString::number(group), QStringLiteral("big"), words, wordCount, setup, &details);
        deletions.push_back(millisecondsSince(timer));
        // The reloaded group starts with the word after the deleted one.
        if (outcome != BoxStore::DeleteOutcome::Deleted || loaded != group || words[size_t(slot)].Word != wordOf(record + 1)) {
            std::fprintf(stderr, "deletion failed: %s %s\n", qPrintable(BoxStore::messageFor(outcome)),
                         qPrintable(groupLoadMessage(details, QStringLiteral("big"), false)));
            return 1;
        }
    }

    // Every deletion took exactly one record out.
    QFile result(libraryPath);
    if (!result.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the library back\n");
        return 1;
    }
    const qsizetype lines = countLines(result.readAll());
    std::printf("library after %d deletions: %lld records (%d expected)\n", Runs,
                static_cast<long long>(lines / 2), RecordCount - Runs);
    if (lines != 2 * qsizetype(RecordCount - Runs))
        return 1;

    const double copy = median(copies);
    const double durable = median(durables);
    const double rewrite = median(rewrites);
    const double withReload = median(deletions);
    std::printf("plain copy (read, write):                             %.2f ms (median of %d)\n", copy, Runs);
    std::printf("durable copy (read, write, fsync, rename, fsync dir): %.2f ms (median of %d)\n", durable, Runs);
    std::printf("DeleteWord:                                           %.2f ms (median of %d)\n", rewrite, Runs);
    std::printf("DeleteWord + reload of group:                         %.2f ms (median of %d)\n", withReload, Runs);
    std::printf("ratio DeleteWord / durable copy: %.2f (target: at most 1.5)\n", rewrite / durable);
    std::printf("ratio DeleteWord / plain copy:   %.2f\n", rewrite / copy);
    std::printf("ratio with the reload / durable copy: %.2f\n", withReload / durable);
    // The machine may be busy with other work; the fastest runs show the
    // cost with the least of it.
    std::printf("fastest runs: plain copy %.2f ms, durable copy %.2f ms, DeleteWord %.2f ms "
                "(ratio to durable %.2f, to plain %.2f)\n",
                fastest(copies), fastest(durables), fastest(rewrites), fastest(rewrites) / fastest(durables),
                fastest(rewrites) / fastest(copies));
    return rewrite / durable <= 1.5 ? 0 : 2;
}

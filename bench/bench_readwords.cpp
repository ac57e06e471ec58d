// How long loading a group near the end of a large library takes, against the
// least any loader could spend: reading the file and looking at every byte.
//
// The library is 250,000 GBK records (about 10 MB, CR LF), and the group is
// 9999 of 10,000, so the loader walks past almost the whole file. Target: the
// loader takes at most three times as long as the plain scan.

#include "library/GroupLoader.h"
#include "library/WordFile.h"
#include "settings/CIniFile.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int RecordCount = 250000;
constexpr int Group = 9999;
constexpr int Runs = 9;

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

// The floor: read the file and count its line feeds, byte by byte.
qint64 plainScan(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    file.close();
    qint64 lineEnds = 0;
    for (const char c : bytes)
        lineEnds += c == '\n';
    return lineEnds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("data"))) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString dataDir = dir.filePath(QStringLiteral("data"));
    const QString libraryPath = dataDir + QStringLiteral("/box0.txt");
    {
        QFile file(libraryPath);
        const QByteArray bytes = makeLibrary();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write the library\n");
            return 1;
        }
        std::printf("library: %d records, %lld bytes, GBK, CR LF\n", RecordCount,
                    static_cast<long long>(bytes.size()));
    }

    CIniFile ini;
    ini.SpecifyIni(dir.filePath(QStringLiteral("lexvan.ini")));
    GroupLoaderSetup setup;
    setup.ini = &ini;
    setup.dataDir = dataDir;
    setup.section = QStringLiteral("Form1LastData");
    setup.libraryIndex = 0;
    setup.formReset = [] {};

    WordTable words;
    qint16 wordCount = 0;
    const QString libraryName = QStringLiteral("月光宝盒0");
    const QString groupText = QString::number(Group);

    // Warm the page cache and check that the loader really loads the group.
    const qint64 lineEnds = plainScan(libraryPath);
    GroupLoadDetails details;
    const qint16 loaded = ReadWords(groupText, libraryName, words, wordCount, setup, &details);
    const int firstRecord = (Group - 1) * GroupSize + 1;
    if (lineEnds != 2 * RecordCount || loaded != Group || wordCount != GroupSize
        || !groupLoadMessage(details, libraryName, setup.lastGroupNotice).isEmpty()
        || words[0].Word != wordOf(firstRecord) || words[0].Meaning != meaningOf(firstRecord)
        || words[24].Word != wordOf(firstRecord + 24)) {
        std::fprintf(stderr, "the loader did not load group %d as expected (got %d, %d words)\n", Group,
                     int(loaded), int(wordCount));
        return 1;
    }

    std::vector<double> scanTimes;
    std::vector<double> loadTimes;
    QElapsedTimer timer;
    qint64 sink = 0;
    for (int run = 0; run < Runs; ++run) {
        timer.start();
        sink += plainScan(libraryPath);
        scanTimes.push_back(double(timer.nsecsElapsed()) / 1e6);

        timer.start();
        sink += ReadWords(groupText, libraryName, words, wordCount, setup);
        loadTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    const double scan = median(scanTimes);
    const double load = median(loadTimes);
    const double ratio = load / scan;
    std::printf("plain scan (read + count line ends): %.2f ms (median of %d)\n", scan, Runs);
    std::printf("ReadWords group %d:               %.2f ms (median of %d)\n", Group, load, Runs);
    std::printf("ratio: %.2f (target <= 3) %s\n", ratio, ratio <= 3.0 ? "met" : "NOT MET");
    std::printf("(checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}

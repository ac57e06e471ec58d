// How long building a window's library list takes with 1,000 registered
// libraries. Every name is a separate read of the settings file (1,001 reads
// of LibName/LibN with length 20, the last one finding nothing), over a GBK
// file with 1,000 LibName keys and 1,000 LibraryFileName keys whose display
// names are Chinese. Target: under 100 ms.
//
// The file is timed in three forms: GBK with [LibName] before
// [LibraryFileName]; GBK the other way round, where every read first walks
// past the 1,000 file-name lines; and the first layout saved as UTF-8, where
// telling the encoding apart means checking the whole file. A lookup in
// [LibraryFileName] (the last name, which has to be compared with every
// Chinese key before it) is timed as well.

#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "text/TextCodec.h"
#include "settings/UserDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int LibraryCount = 1000;
constexpr int Runs = 9;

class SilentDialogs : public UserDialogs
{
public:
    void message(const QString &text) override { messages << text; }
    bool question(const QString &) override { return true; }
    void beep() override {}
    QStringList messages;
};

QString displayName(int library)
{
    return QStringLiteral("英语词库") + QString::number(library);
}

QByteArray makeSettings(bool libNameFirst, TextCodec::Encoding encoding)
{
    const QString head = QStringLiteral("[Form1LastData]\r\nWordGroup=3\r\nWordLibrary=2\r\n"
                                        "[Form4LastData]\r\nMaskC=False\r\nMaskE=True\r\nCircuMode=This\r\n"
                                        "BrowseMode=Random\r\nDelayTime=2\r\nBarX=1200\r\nBarY=900\r\n");
    QString libNames = QStringLiteral("[LibName]\r\n");
    QString fileNames = QStringLiteral("[LibraryFileName]\r\n");
    for (int i = 0; i < LibraryCount; ++i) {
        libNames += QStringLiteral("Lib") + QString::number(i) + QStringLiteral("=") + displayName(i)
            + QStringLiteral("\r\n");
        fileNames += displayName(i) + QStringLiteral("=lib") + QString::number(i) + QStringLiteral(".txt\r\n");
    }
    const QString text = head + (libNameFirst ? libNames + fileNames : fileNames + libNames);
    return TextCodec::encode(text, encoding);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Returns false when the results are not what the file holds.
bool timeLayout(const QString &path, bool libNameFirst, TextCodec::Encoding encoding)
{
    const QByteArray bytes = makeSettings(libNameFirst, encoding);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();

    CIniFile ini;
    ini.SpecifyIni(path);
    SilentDialogs dialogs;
    const QString lastName = displayName(LibraryCount - 1);

    const QStringList names = LibraryRegistry::libraryNames(ini);
    if (names.size() != LibraryCount + LibraryRegistry::BoxCount || names.first() != displayName(0)
        || names.at(LibraryCount - 1) != lastName || names.last() != LibraryRegistry::boxName(4)
        || LibraryRegistry::GetLibraryFileName(ini, dialogs, lastName) != QStringLiteral("lib999.txt")
        || !dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "unexpected library list (%lld entries)\n", static_cast<long long>(names.size()));
        return false;
    }

    std::vector<double> listTimes;
    std::vector<double> lookupTimes;
    QElapsedTimer timer;
    qsizetype sink = 0;
    for (int run = 0; run < Runs; ++run) {
        timer.start();
        sink += LibraryRegistry::libraryNames(ini).size();
        listTimes.push_back(double(timer.nsecsElapsed()) / 1e6);

        timer.start();
        sink += LibraryRegistry::GetLibraryFileName(ini, dialogs, lastName).size();
        lookupTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    const double list = median(listTimes);
    std::printf("%s, %s (%lld bytes):\n", encoding == TextCodec::Encoding::Gbk ? "GBK" : "UTF-8",
                libNameFirst ? "[LibName] first" : "[LibraryFileName] first", static_cast<long long>(bytes.size()));
    std::printf("  SetLibName, %d names, %d reads: %.2f ms (median of %d), target < 100 ms %s\n", LibraryCount,
                LibraryCount + 1, list, Runs, list < 100.0 ? "met" : "NOT MET");
    std::printf("  GetLibraryFileName of the last name: %.3f ms (median of %d)\n", median(lookupTimes), Runs);
    std::printf("  (checksum %lld)\n", static_cast<long long>(sink));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("lexvan.ini"));
    using TextCodec::Encoding;
    if (!timeLayout(path, true, Encoding::Gbk) || !timeLayout(path, false, Encoding::Gbk)
        || !timeLayout(path, true, Encoding::Utf8))
        return 1;
    return 0;
}

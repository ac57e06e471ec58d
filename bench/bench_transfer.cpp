// Moving a long history between computers: 200,000 answers (20,000 words
// over a year and more) exported to one .lxv file, imported into another
// program folder that holds 2,000 answers of its own, and imported there a
// second time (every answer already present). Then the same history through
// the sync folder: written out, and merged by the second computer. Target:
// export and import under 2 s each.

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/Merge.h"
#include "backup/SyncFolder.h"
#include "record/RecordStore.h"
#include "record/Schedule.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

// The machine may be shared: the processor time of this process is printed
// beside the wall-clock time.
struct Stopwatch
{
    QElapsedTimer wall;
    std::clock_t cpu = 0;
    void restart()
    {
        wall.restart();
        cpu = std::clock();
    }
    QByteArray text() const
    {
        return QStringLiteral("%1 s (processor %2 s)")
            .arg(double(wall.nsecsElapsed()) / 1e9, 0, 'f', 2)
            .arg(double(std::clock() - cpu) / CLOCKS_PER_SEC, 0, 'f', 2)
            .toUtf8();
    }
};

const QDateTime Start(QDate(2025, 6, 1), QTime(8, 0), Qt::UTC);

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A program folder: one library of 20,000 words, `answers` answers from
// `offsetSeconds` after the start, two minutes apart.
ProgramPaths makeFolder(const QString &dir, int answers, qint64 offsetSeconds)
{
    QDir().mkpath(dir + QStringLiteral("/data"));
    writeFile(dir + QStringLiteral("/lexvan.ini"), "[LibName]\r\nLib0=basic\r\n[LibraryFileName]\r\nbasic=basic.txt\r\n");
    QByteArray library;
    for (int n = 0; n < 20000; ++n)
        library += "word" + QByteArray::number(n) + "\r\nmeaning " + QByteArray::number(n) + "\r\n";
    writeFile(dir + QStringLiteral("/data/basic.txt"), library);
    RecordStore store;
    if (!store.open(dir + QStringLiteral("/lexvan.db")).ok())
        qFatal("cannot open the record");
    QList<AnswerRecord> batch;
    for (int i = 0; i < answers; ++i) {
        AnswerRecord a;
        a.time = Start.addSecs(offsetSeconds + qint64(i) * 120);
        a.library = QStringLiteral("basic");
        a.libraryFile = QStringLiteral("basic.txt");
        a.word = QStringLiteral("word%1").arg(i % 20000);
        a.meaning = QStringLiteral("meaning %1").arg(i % 20000);
        a.group = (i % 20000) / 25 + 1;
        a.pass = i % 5 == 4 ? 1 : 0;
        a.right = i % 7 != 0;
        a.milliseconds = 800 + (i * 37) % 4000;
        batch.append(a);
        if (batch.size() == 10000) {
            store.recordAnswers(batch);
            batch.clear();
        }
    }
    store.recordAnswers(batch);
    store.close();
    return ProgramPaths{dir, dir + QStringLiteral("/data")};
}

void importOnce(const ProgramPaths &paths, const QString &file, const char *what)
{
    Stopwatch watch;
    watch.restart();
    const Archive::ReadResult read = Archive::readFile(file);
    RecordStore store;
    if (!read.ok() || !store.open(paths.databasePath()).ok())
        qFatal("cannot import");
    const Merge::ImportResult result = Merge::importArchive(paths, read.contents, store);
    store.close();
    if (!result.ok())
        qFatal("import failed: %s", qPrintable(result.detail));
    std::printf("%s: %s, %lld answers added\n", what, watch.text().constData(),
                static_cast<long long>(result.summary.answersAdded));
}

} // namespace

int main(int argc, char **argv)
{
    // As the program does first thing.
    Schedule::readTimeZoneOnce();
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    const ProgramPaths a = makeFolder(root.filePath(QStringLiteral("a")), 200000, 0);
    const ProgramPaths b = makeFolder(root.filePath(QStringLiteral("b")), 2000, -7 * 86400);
    const QString file = root.filePath(QStringLiteral("a.lxv"));

    Stopwatch watch;
    watch.restart();
    QString error;
    if (!Backup::writeSnapshot(a, QStringLiteral("a"), file, error))
        qFatal("export failed: %s", qPrintable(error));
    std::printf("export 200,000 answers (written and read back): %s, %.1f MB\n", watch.text().constData(),
                double(QFileInfo(file).size()) / 1e6);

    importOnce(b, file, "import into a record of 2,000");
    importOnce(b, file, "import again, nothing new");

    // The sync folder: a's whole history written out, then merged by a
    // third computer that has only its own answers; then a quiet pass.
    const ProgramPaths c = makeFolder(root.filePath(QStringLiteral("c")), 2000, -7 * 86400);
    const QString shared = root.filePath(QStringLiteral("shared"));
    QDir().mkpath(shared);
    const struct
    {
        const ProgramPaths *paths;
        const char *id, *what;
    } passes[] = {{&a, "a", "sync folder, first write of 200,000 answers"},
                  {&c, "c", "sync folder, merge of 200,000 answers"},
                  {&a, "a", "sync folder, the other way (2,000 answers)"},
                  {&c, "c", "sync folder, nothing new"}};
    for (const auto &pass : passes) {
        watch.restart();
        const SyncFolder::Result result =
            SyncFolder::syncOnce(pass.paths->databasePath(), shared, QString::fromLatin1(pass.id));
        std::printf("%s: %s, %lld written, %lld merged\n", pass.what, watch.text().constData(),
                    static_cast<long long>(result.eventsWritten), static_cast<long long>(result.answersAdded));
    }
    return 0;
}

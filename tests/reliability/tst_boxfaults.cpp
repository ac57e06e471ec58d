// The word boxes and the delete rewrite on a disk that fails: full, read-only,
// a library that cannot be renamed over, a writer killed in the middle. A
// box must never end in half a record, a library must always be whole (the
// old one or the new one), and the user must be told when nothing happened.

#include "PrivateMounts.h"
#include "BoxDrops.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"

#include "boxes/BoxStore.h"
#include "library/GroupLoader.h"
#include "settings/CIniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <memory>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestFiles::gbk;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// A group whose row 0 (at scroll value 7) is `word`.
WordTable tableWith(const QString &word, const QString &meaning)
{
    WordTable words;
    words[0] = WordEntry{meaning, word, 0};
    return words;
}

QByteArray numberedLibrary(int count)
{
    QString text;
    for (int n = 1; n <= count; ++n)
        text += QStringLiteral("word%1\r\n释义%1\r\n").arg(n);
    return gbk(text);
}

// A data folder on a small file system of its own.
class SmallDisk
{
public:
    QString prepare(qint64 bytes)
    {
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString error = m_mount.tmpfs(m_dir.path(), bytes);
        if (error.isEmpty())
            QDir(m_dir.path()).mkdir(QStringLiteral("data"));
        return error;
    }

    QString data() const { return m_dir.filePath(QStringLiteral("data")); }
    QString file(const QString &name) const { return data() + u'/' + name; }
    bool fill() const { return PrivateMounts::fill(m_dir.path()); }
    bool makeRoom() const { return QFile::remove(m_dir.filePath(QStringLiteral("filler"))); }

private:
    QTemporaryDir m_dir;
    PrivateMounts::Mount m_mount;
};

// A sync seam that notes what was synced (a file or a folder) and what the
// file `watched` held at that moment, then really syncs.
struct SyncCall
{
    bool folder;
    QByteArray watchedThen;
};
QList<SyncCall> syncCalls;
QString watched;

bool recordingSync(int descriptor)
{
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0)
        return false;
    syncCalls.append({S_ISDIR(status.st_mode), readBytes(watched)});
    return ::fsync(descriptor) == 0;
}

// The disk refuses to sync (EIO), as it does when it has failed.
bool failingSync(int)
{
    errno = EIO;
    return false;
}

} // namespace

class TestBoxFaults : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskDuringDeletion();
    void libraryThatCannotBeReplaced();
    void readOnlyDataFolder();
    void fullDiskDuringAppend_data();
    void fullDiskDuringAppend();
    void shortChineseSurvivesTheBoxes();
    void killedDeletionNeverLeavesAPartialLibrary();
    void deletionSyncsTheCopyThenTheFolder();
    void failedSyncKeepsTheLibrary();
    void appendIsSynced_data();
    void appendIsSynced();
    void failedSyncTakesBackTheAppend_data();
    void failedSyncTakesBackTheAppend();
};

void TestBoxFaults::fullDiskDuringDeletion()
{
    REQUIRE_PRIVATE_MOUNTS();
    SmallDisk disk;
    const QString error = disk.prepare(1024 * 1024);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QByteArray library = numberedLibrary(2000);
    QVERIFY(writeBytes(disk.file(QStringLiteral("lib.txt")), library));
    QVERIFY(disk.fill());

    RecordingDialogs dialogs;
    const WordTable words = tableWith(QStringLiteral("word7"), QStringLiteral("释义7"));
    QCOMPARE(BoxDrops::remove(disk.data(), QStringLiteral("lib.txt"), words, 0, dialogs),
             BoxStore::DeleteOutcome::WriteFailed);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("无法写入临时文件，删除失败，词库文件没有改动！")});
    QVERIFY(readBytes(disk.file(QStringLiteral("lib.txt"))) == library);
    QCOMPARE(entries(disk.data()), QStringList{QStringLiteral("lib.txt")});

    // With room again the same drop deletes the word.
    QVERIFY(disk.makeRoom());
    QCOMPARE(BoxDrops::remove(disk.data(), QStringLiteral("lib.txt"), words, 0, dialogs),
             BoxStore::DeleteOutcome::Deleted);
    QVERIFY(readBytes(disk.file(QStringLiteral("lib.txt"))) ==
            QByteArray(library).replace(gbk(QStringLiteral("word7\r\n释义7\r\n")), ""));
}

void TestBoxFaults::libraryThatCannotBeReplaced()
{
    // A library mounted on itself reads as usual, but no file can be
    // renamed over it (EBUSY): a real failed rename, not a simulated one.
    REQUIRE_PRIVATE_MOUNTS();
    QTemporaryDir dir;
    const QString library = dir.filePath(QStringLiteral("lib.txt"));
    const QByteArray original = gbk(QStringLiteral("apple\r\n苹果\r\n\r\npear\r\n梨\r\n"));
    QVERIFY(writeBytes(library, original));
    PrivateMounts::Mount mount;
    const QString error = mount.onItself(library);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    RecordingDialogs dialogs;
    const WordTable words = tableWith(QStringLiteral("apple"), QStringLiteral("苹果"));
    QCOMPARE(BoxDrops::remove(dir.path(), QStringLiteral("lib.txt"), words, 0, dialogs),
             BoxStore::DeleteOutcome::ReplaceFailed);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("无法替换词库文件，删除失败，词库文件没有改动！")});
    QCOMPARE(readBytes(library), original);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("lib.txt")});
}

void TestBoxFaults::readOnlyDataFolder()
{
    REQUIRE_PRIVATE_MOUNTS();
    QTemporaryDir dir;
    const QString box1 = BoxStore::boxPath(dir.path(), 1);
    const QByteArray library = gbk(QStringLiteral("apple\r\n苹果\r\npear\r\n梨\r\n"));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("lib.txt")), library));
    QVERIFY(writeBytes(box1, "a\r\nA\r\nb\r\nB\r\nc\r\n"));
    PrivateMounts::Mount mount;
    const QString error = mount.readOnly(dir.path());
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // Counting: the missing boxes cannot be created and keep their
    // captions; the one that is there is counted.
    BoxStore::BoxCounts counts;
    counts.fill(QStringLiteral("7"));
    BoxStore::IniBoxSum(dir.path(), counts);
    QCOMPARE(counts, (BoxStore::BoxCounts{QStringLiteral("7"), QStringLiteral("2.5"), QStringLiteral("7"),
                                          QStringLiteral("7"), QStringLiteral("7")}));

    RecordingDialogs dialogs;
    const WordTable words = tableWith(QStringLiteral("apple"), QStringLiteral("苹果"));
    QString caption = QStringLiteral("2.5");
    QCOMPARE(BoxDrops::add(dir.path(), 1, words, 0, caption, dialogs), BoxStore::AddOutcome::WriteFailed);
    QCOMPARE(caption, QStringLiteral("2.5"));
    QCOMPARE(BoxDrops::remove(dir.path(), QStringLiteral("lib.txt"), words, 0, dialogs),
             BoxStore::DeleteOutcome::WriteFailed);
    QCOMPARE(dialogs.messages, (QStringList{QStringLiteral("无法写入月光宝盒文件，单词没有添加！"),
                                            QStringLiteral("无法写入临时文件，删除失败，词库文件没有改动！")}));
    QCOMPARE(readBytes(box1), QByteArray("a\r\nA\r\nb\r\nB\r\nc\r\n"));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("lib.txt"))), library);
    QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("box1.txt"), QStringLiteral("lib.txt")}));
}

void TestBoxFaults::fullDiskDuringAppend_data()
{
    QTest::addColumn<int>("boxSize");
    // A box that fills its last page exactly gets no byte of the new record.
    QTest::newRow("no room at all") << 4096;
    // Room for the start of the record only: it must be taken back whole.
    QTest::newRow("room for part of the record") << 4090;
    QTest::newRow("room for part, no line end at the end") << 4093;
}

void TestBoxFaults::fullDiskDuringAppend()
{
    QFETCH(int, boxSize);
    REQUIRE_PRIVATE_MOUNTS();
    SmallDisk disk;
    const QString error = disk.prepare(256 * 1024);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QByteArray box;
    while (box.size() + 12 <= boxSize)
        box += "word\r\nmeans\r\n";
    box += QByteArray(boxSize - box.size(), 'x');
    QCOMPARE(box.size(), qsizetype(boxSize));
    const QString path = BoxStore::boxPath(disk.data(), 2);
    QVERIFY(writeBytes(path, box));
    QVERIFY(disk.fill());

    RecordingDialogs dialogs;
    const WordTable words = tableWith(QStringLiteral("apple"), QStringLiteral("苹果；苹果树"));
    QString caption = QStringLiteral("3");
    QCOMPARE(BoxDrops::add(disk.data(), 2, words, 0, caption, dialogs), BoxStore::AddOutcome::WriteFailed);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("无法写入月光宝盒文件，单词没有添加！")});
    QCOMPARE(caption, QStringLiteral("3"));
    QCOMPARE(readBytes(path), box);
}

void TestBoxFaults::shortChineseSurvivesTheBoxes()
{
    // "猫" and "楼" in GBK are also valid UTF-8. A box that holds only such
    // words must still read back as GBK, before and after a deletion.
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data")));
    RecordingDialogs dialogs;
    QString caption = QStringLiteral("0");
    QCOMPARE(BoxDrops::add(data, 4, tableWith(QStringLiteral("cat"), QStringLiteral("猫")), 0, caption, dialogs),
             BoxStore::AddOutcome::Added);
    QCOMPARE(
        BoxDrops::add(data, 4, tableWith(QStringLiteral("building"), QStringLiteral("楼")), 0, caption, dialogs),
        BoxStore::AddOutcome::Added);
    QCOMPARE(readBytes(BoxStore::boxPath(data, 4)), gbk(QStringLiteral("cat\r\n猫\r\nbuilding\r\n楼\r\n")));

    CIniFile ini;
    ini.SpecifyIni(dir.filePath(QStringLiteral("lexvan.ini")));
    GroupLoaderSetup setup;
    setup.ini = &ini;
    setup.dataDir = data;
    setup.section = QStringLiteral("Form2LastData");
    setup.lastGroupNotice = false;
    WordTable words;
    qint16 count = 0;
    QCOMPARE(ReadWords(QStringLiteral("1"), QStringLiteral("月光宝盒4"), words, count, setup), qint16(1));
    QCOMPARE(count, qint16(2));
    QCOMPARE(words[0].Meaning, QStringLiteral("猫"));
    QCOMPARE(words[1].Meaning, QStringLiteral("楼"));

    QCOMPARE(BoxDrops::remove(data, QStringLiteral("box4.txt"), words, 0, dialogs),
             BoxStore::DeleteOutcome::Deleted);
    QCOMPARE(ReadWords(QStringLiteral("1"), QStringLiteral("月光宝盒4"), words, count, setup), qint16(1));
    QCOMPARE(count, qint16(1));
    QCOMPARE(words[0].Word, QStringLiteral("building"));
    QCOMPARE(words[0].Meaning, QStringLiteral("楼"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestBoxFaults::killedDeletionNeverLeavesAPartialLibrary()
{
    // A deleter is killed at random moments while it rewrites a large
    // library again and again (deleting a word it does not hold, so every
    // version is the same). Whenever it dies, the library must be whole.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.txt"));
    const QByteArray library = numberedLibrary(100000);
    QVERIFY(writeBytes(path, library));

    QRandomGenerator random(9);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (;;)
                BoxStore::removeWord(dir.path(), QStringLiteral("lib.txt"), QStringLiteral("absent"));
        }
        QTest::qSleep(int(random.bounded(5, 150)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY2(readBytes(path) == library, qPrintable(QStringLiteral("round %1").arg(round)));
    }
    // A kill can leave the temporary file behind; the next deletion
    // replaces it.
    QCOMPARE(BoxStore::removeWord(dir.path(), QStringLiteral("lib.txt"), QStringLiteral("word1")),
             BoxStore::DeleteOutcome::Deleted);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("lib.txt")});
}

void TestBoxFaults::deletionSyncsTheCopyThenTheFolder()
{
    // The new copy is on the disk before it takes the library's name (the
    // library still holds the old text then), and the folder is synced once
    // the name points at the new copy.
    QTemporaryDir dir;
    watched = dir.filePath(QStringLiteral("lib.txt"));
    const QByteArray library = numberedLibrary(3);
    QVERIFY(writeBytes(watched, library));
    syncCalls.clear();

    QCOMPARE(BoxStore::removeWord(dir.path(), QStringLiteral("lib.txt"), QStringLiteral("word2"),
                                  &BoxStore::replaceFile, &recordingSync),
             BoxStore::DeleteOutcome::Deleted);

    const QByteArray after = gbk(QStringLiteral("word1\r\n释义1\r\nword3\r\n释义3\r\n"));
    QCOMPARE(readBytes(watched), after);
    QCOMPARE(syncCalls.size(), 2);
    QVERIFY(!syncCalls[0].folder);
    QCOMPARE(syncCalls[0].watchedThen, library);
    QVERIFY(syncCalls[1].folder);
    QCOMPARE(syncCalls[1].watchedThen, after);
}

void TestBoxFaults::failedSyncKeepsTheLibrary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.txt"));
    const QByteArray library = numberedLibrary(500);
    QVERIFY(writeBytes(path, library));
    RecordingDialogs dialogs;
    const WordTable words = tableWith(QStringLiteral("word7"), QStringLiteral("释义7"));

    QCOMPARE(BoxDrops::remove(dir.path(), QStringLiteral("lib.txt"), words, 0, dialogs, &BoxStore::replaceFile,
                                  &failingSync),
             BoxStore::DeleteOutcome::WriteFailed);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("无法写入临时文件，删除失败，词库文件没有改动！")});
    QVERIFY(readBytes(path) == library);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("lib.txt")});
}

void TestBoxFaults::appendIsSynced_data()
{
    QTest::addColumn<bool>("boxExists");
    QTest::newRow("box file there") << true;
    QTest::newRow("box file created") << false; // its name is synced as well
}

void TestBoxFaults::appendIsSynced()
{
    QFETCH(bool, boxExists);
    QTemporaryDir dir;
    watched = BoxStore::boxPath(dir.path(), 3);
    const QByteArray before("old\r\nOLD\r\n");
    if (boxExists)
        QVERIFY(writeBytes(watched, before));
    syncCalls.clear();

    QVERIFY(BoxStore::modify_box_data(dir.path(), 3, WordEntry{QStringLiteral("梨"), QStringLiteral("pear"), 0},
                                      &recordingSync));

    const QByteArray after = (boxExists ? before : QByteArray()) + gbk(QStringLiteral("pear\r\n梨\r\n"));
    QCOMPARE(readBytes(watched), after);
    QCOMPARE(syncCalls.size(), boxExists ? 1 : 2);
    QVERIFY(!syncCalls[0].folder);
    QCOMPARE(syncCalls[0].watchedThen, after);
    if (!boxExists)
        QVERIFY(syncCalls[1].folder);
}

void TestBoxFaults::failedSyncTakesBackTheAppend_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::newRow("ends with a line end") << QByteArray("a\r\nA\r\n");
    QTest::newRow("ends in the middle of a line") << QByteArray("a\r\nA");
}

void TestBoxFaults::failedSyncTakesBackTheAppend()
{
    QFETCH(QByteArray, box);
    QTemporaryDir dir;
    const QString path = BoxStore::boxPath(dir.path(), 0);
    QVERIFY(writeBytes(path, box));
    RecordingDialogs dialogs;
    QString caption = QStringLiteral("1");

    QCOMPARE(BoxDrops::add(dir.path(), 0, tableWith(QStringLiteral("pear"), QStringLiteral("梨")), 0, caption,
                           dialogs, &failingSync),
             BoxStore::AddOutcome::WriteFailed);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("无法写入月光宝盒文件，单词没有添加！")});
    QCOMPARE(caption, QStringLiteral("1"));
    QCOMPARE(readBytes(path), box);
}

QTEST_GUILESS_MAIN(TestBoxFaults)
#include "tst_boxfaults.moc"

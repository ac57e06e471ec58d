// The settings file when things go wrong: files no program of ours wrote,
// obstacles where it should be, a read-only or full disk, and a writer killed
// in the middle. Reads must stay within their lengths, the program's writes
// must keep every byte the user put there, and a write that fails must leave
// the old file whole.

#include "PrivateMounts.h"
#include "TestFiles.h"

#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "settings/ProfileFile.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestFiles::gbk;
using TestFiles::randomBytes;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QString kForm1 = QStringLiteral("Form1LastData");
const QString kGroup = QStringLiteral("WordGroup");
const QString kLibName = QStringLiteral("LibName");

// Text as Notepad's "Unicode" saves it: UTF-16LE with a byte-order mark.
QByteArray utf16(const QString &text)
{
    return QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
}

// What the program appends when its section is missing.
QByteArray appendedGroup(const QByteArray &old, const QByteArray &group)
{
    const bool ended = old.isEmpty() || old.endsWith('\n') || old.endsWith('\r');
    return old + (ended ? QByteArray() : QByteArray("\r\n")) + "[Form1LastData]\r\nWordGroup=" + group + "\r\n";
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// A settings file with registered libraries and every window's section.
enum LeftoverKind { File, Link, Folder };

QByteArray userSettings()
{
    return gbk(QStringLiteral("[LibName]\r\nLib0=四级\r\nLib1=水果\r\n[LibraryFileName]\r\n四级=cet4.txt\r\n"
                              "水果=fruit.txt\r\n[Form1LastData]\r\nWordGroup=3\r\nWordLibrary=1\r\n"
                              "[Form4LastData]\r\nDelayTime=2\r\nBarX=1200\r\nBarY=300\r\n"));
}

} // namespace

class TestSettingsFaults : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("lexvan.ini"));
        m_ini = CIniFile();
        m_ini.SpecifyIni(m_path);
    }

    void filesWeDidNotWrite_data();
    void filesWeDidNotWrite();
    void brokenGbkIsCutLikeTheWhole_data();
    void brokenGbkIsCutLikeTheWhole();
    void writeThatWouldChangeTheEncodingIsRefused_data();
    void writeThatWouldChangeTheEncodingIsRefused();
    void byteOrderMarkInsideTheFile();
    void hugeFile();
    void longLine();
    void somethingElseInThePlaceOfTheFile_data();
    void somethingElseInThePlaceOfTheFile();
    void readOnlyProgramFolder();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void killedWriterNeverLeavesAPartialFile();
    void leftoverCopiesAreRemoved_data();
    void leftoverCopiesAreRemoved();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    CIniFile m_ini;
};

void TestSettingsFaults::filesWeDidNotWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("libraries");

    const QStringList boxesOnly;
    QTest::newRow("binary") << randomBytes(64 * 1024, 1) << boxesOnly;
    QTest::newRow("NUL bytes") << QByteArray(4096, '\0') << boxesOnly;
    QTest::newRow("NUL inside a name") << QByteArray("[LibName]\r\nLib0=ab\0cd\r\n", 23)
                                       << QStringList{QString::fromLatin1("ab\0cd", 5)};
    // Notepad's "Unicode": its names are not read, but nothing is lost.
    QTest::newRow("UTF-16") << utf16(QStringLiteral("[LibName]\r\nLib0=四级\r\n")) << boxesOnly;
    QTest::newRow("lone CR line ends") << gbk(QStringLiteral("[LibName]\rLib0=四级\rLib1=水果"))
                                       << QStringList{QStringLiteral("四级"), QStringLiteral("水果")};
    QTest::newRow("lone LF line ends") << gbk(QStringLiteral("[LibName]\nLib0=四级\nLib1=水果\n"))
                                       << QStringList{QStringLiteral("四级"), QStringLiteral("水果")};
    QTest::newRow("GBK that is also valid UTF-8") << gbk(QStringLiteral("[LibName]\r\nLib0=猫\r\nLib1=楼\r\n"))
                                                  << QStringList{QStringLiteral("猫"), QStringLiteral("楼")};
}

void TestSettingsFaults::filesWeDidNotWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, libraries);
    QVERIFY(writeBytes(m_path, file));

    QStringList expected = libraries;
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box)
        expected << LibraryRegistry::boxName(box);
    QCOMPARE(LibraryRegistry::libraryNames(m_ini), expected);
    for (const long length : {10L, 5L, 20L})
        QVERIFY(m_ini.ReadString(kForm1, kGroup, length).size() <= length - 1);

    // The loader's write lands at the end, and every byte before it stays.
    QVERIFY(m_ini.WriteString(kForm1, kGroup, QStringLiteral("7")));
    QCOMPARE(readBytes(m_path), appendedGroup(file, "7"));
    QCOMPARE(m_ini.ReadString(kForm1, kGroup, 10), QStringLiteral("7"));
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("lexvan.ini")});
}

void TestSettingsFaults::brokenGbkIsCutLikeTheWhole_data()
{
    QTest::addColumn<QByteArray>("value");
    // A four-byte GB18030 start whose third byte is wrong (found by fuzzing:
    // the cut used to end in another character than the whole value had).
    QTest::newRow("bad third byte") << QByteArray("\xAF\x30\x80\xB1"
                                                  "b");
    QTest::newRow("lead byte before a space") << QByteArray("\x81 \x81\x30\x81\x30xyz");
    QTest::newRow("bytes no GBK text has") << QByteArray("\xFF\x80\x81\x81\x30\xD6\xD0");
}

void TestSettingsFaults::brokenGbkIsCutLikeTheWhole()
{
    // However broken the text, a value read with a short length is the
    // beginning of the value read whole, and no longer than the length.
    QFETCH(QByteArray, value);
    QVERIFY(writeBytes(m_path, "[S]\r\nk=" + value + "\r\n"));
    const QString whole = m_ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), 1000);
    QVERIFY(!whole.isEmpty());
    for (long length = 2; length <= value.size() + 1; ++length) {
        const QString cut = m_ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), length);
        QVERIFY2(whole.startsWith(cut) && cut.size() <= length - 1,
                 qPrintable(QStringLiteral("length %1").arg(length)));
    }
}

void TestSettingsFaults::writeThatWouldChangeTheEncodingIsRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("library");

    // Mixed files, as two editors leave them. The value the program replaces
    // holds the only bytes that decide the encoding; without them the rest
    // of the file would read otherwise (found by fuzzing).
    const QByteArray fullWidthThree = gbk(QStringLiteral("３"));
    QTest::newRow("GBK only in the value") << "[LibName]\r\nLib0=" + QStringLiteral("四级").toUtf8() +
                                                  "\r\n[Form1LastData]\r\nWordGroup=" + fullWidthThree + "\r\n"
                                           << TestFiles::fromGbk(QStringLiteral("四级").toUtf8());
    QTest::newRow("Chinese UTF-8 only in the value")
        << "[LibName]\r\nLib0=" + QStringLiteral("café").toUtf8() +
               "\r\n[Form1LastData]\r\nWordGroup=" + QStringLiteral("三").toUtf8() + "\r\n"
        << QStringLiteral("café");
}

void TestSettingsFaults::writeThatWouldChangeTheEncodingIsRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, library);
    QVERIFY(writeBytes(m_path, file));
    QCOMPARE(m_ini.ReadString(kLibName, QStringLiteral("Lib0"), 20), library);

    QVERIFY(!m_ini.WriteString(kForm1, kGroup, QStringLiteral("3")));
    QCOMPARE(m_ini.ErrorText(), QStringLiteral("写入失败"));
    QCOMPARE(readBytes(m_path), file);
    QCOMPARE(m_ini.ReadString(kLibName, QStringLiteral("Lib0"), 20), library);
    // Writes that keep the encoding still go through.
    QVERIFY(m_ini.WriteString(kForm1, QStringLiteral("WordLibrary"), QStringLiteral("1")));
    QCOMPARE(m_ini.ReadString(kLibName, QStringLiteral("Lib0"), 20), library);
}

void TestSettingsFaults::byteOrderMarkInsideTheFile()
{
    // U+FEFF where a slice of the file begins (two files joined, a name
    // pasted from elsewhere) is a character like any other: it must not
    // vanish from some names and stay in others (found by fuzzing).
    const QString bom(QChar(0xFEFF));
    const QByteArray file = QString(QStringLiteral("[LibName]\r\nLib0=") + bom + QStringLiteral("四级\r\n[") + bom +
                                    QStringLiteral("S]\r\nk=1\r\n"))
                                .toUtf8();
    QVERIFY(writeBytes(m_path, file));
    QCOMPARE(m_ini.ReadString(kLibName, QStringLiteral("Lib0"), 20), bom + QStringLiteral("四级"));
    QCOMPARE(m_ini.ReadString(bom + QStringLiteral("S"), QStringLiteral("k"), 10), QStringLiteral("1"));
    QVERIFY(m_ini.WriteString(bom + QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    QCOMPARE(readBytes(m_path), QByteArray(file).replace("k=1", "k=2"));
}

void TestSettingsFaults::hugeFile()
{
    // 50 MB of binary garbage with the user's sections at the end.
    const QByteArray tail = "\r\n" + userSettings();
    const QByteArray file = randomBytes(50 * 1024 * 1024, 2) + tail;
    QVERIFY(writeBytes(m_path, file));

    QCOMPARE(LibraryRegistry::libraryNames(m_ini).mid(0, 2),
             (QStringList{QStringLiteral("四级"), QStringLiteral("水果")}));
    QCOMPARE(m_ini.ReadString(kForm1, kGroup, 10), QStringLiteral("3"));
    QCOMPARE(m_ini.ReadString(QStringLiteral("Form4LastData"), QStringLiteral("BarY"), 10), QStringLiteral("300"));

    QVERIFY(m_ini.WriteString(kForm1, kGroup, QStringLiteral("12")));
    QByteArray expected = file;
    expected.replace(file.size() - tail.size(), tail.size(), QByteArray(tail).replace("WordGroup=3", "WordGroup=12"));
    QVERIFY(readBytes(m_path) == expected); // QCOMPARE would print 50 MB
    QCOMPARE(m_ini.ReadString(kForm1, kGroup, 10), QStringLiteral("12"));
}

void TestSettingsFaults::longLine()
{
    // A 100 KB line: as a value, as a key and as a section name.
    const QByteArray longText(100 * 1024, 'x');
    const QByteArray file =
        "[LibName]\r\nLib0=" + longText + "\r\n" + longText + "=1\r\n[" + longText + "]\r\nk=2\r\n" + userSettings();
    QVERIFY(writeBytes(m_path, file));

    QCOMPARE(m_ini.ReadString(kLibName, QStringLiteral("Lib0"), 20), QString(19, u'x'));
    QCOMPARE(m_ini.ReadString(kLibName, QString::fromLatin1(longText), 10), QStringLiteral("1"));
    QCOMPARE(m_ini.ReadString(QString::fromLatin1(longText), QStringLiteral("k"), 10), QStringLiteral("2"));
    // The later [LibName] is a second section of that name: never searched.
    QCOMPARE(LibraryRegistry::libraryNames(m_ini).first(), QString(19, u'x'));

    QVERIFY(m_ini.WriteString(kForm1, kGroup, QStringLiteral("4")));
    QCOMPARE(readBytes(m_path), QByteArray(file).replace("WordGroup=3", "WordGroup=4"));
    // A 100 KB value written by the program (it never does) reads back cut.
    QVERIFY(m_ini.WriteString(kForm1, QStringLiteral("Long"), QString::fromLatin1(longText)));
    QCOMPARE(m_ini.ReadString(kForm1, QStringLiteral("Long"), 10), QString(9, u'x'));
}

void TestSettingsFaults::somethingElseInThePlaceOfTheFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("folder") << 0;
    // Reading these would never end: a pipe waits for a writer, a device
    // hands out bytes for ever.
    QTest::newRow("named pipe") << 1;
    QTest::newRow("link to /dev/zero") << 2;
}

void TestSettingsFaults::somethingElseInThePlaceOfTheFile()
{
    QFETCH(int, kind);
    switch (kind) {
    case 0:
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("lexvan.ini")));
        break;
    case 1:
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0644), 0);
        break;
    default:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_path));
        break;
    }
    const QFileInfo before(m_path);

    QCOMPARE(LibraryRegistry::libraryNames(m_ini).size(), LibraryRegistry::BoxCount);
    QCOMPARE(m_ini.ReadString(kForm1, kGroup, 10), QString());
    QVERIFY(!m_ini.WriteString(kForm1, kGroup, QStringLiteral("1")));
    QCOMPARE(m_ini.ErrorText(), QStringLiteral("写入失败"));
    // Left as it was: same kind of thing, nothing beside it.
    const QFileInfo after(m_path);
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isFile(), false);
    if (after.isDir())
        QVERIFY(entries(m_path).isEmpty());
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("lexvan.ini")});
}

void TestSettingsFaults::readOnlyProgramFolder()
{
    REQUIRE_PRIVATE_MOUNTS();
    const QByteArray file = userSettings();
    QVERIFY(writeBytes(m_path, file));
    PrivateMounts::Mount mount;
    const QString error = mount.readOnly(m_dir->path());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(!writeBytes(m_dir->filePath(QStringLiteral("probe")), "x"), "the folder must really be read-only");

    // Writes fail quietly, with the reason kept; reads go on.
    QVERIFY(!m_ini.WriteString(kForm1, kGroup, QStringLiteral("9")));
    QCOMPARE(m_ini.ErrorText(), QStringLiteral("写入失败"));
    QVERIFY(!m_ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(m_ini.ReadString(kForm1, kGroup, 10), QStringLiteral("3"));
    QCOMPARE(m_ini.ErrorText(), QString());
    QCOMPARE(LibraryRegistry::libraryNames(m_ini).size(), 2 + LibraryRegistry::BoxCount);
    QCOMPARE(readBytes(m_path), file);
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("lexvan.ini")});
}

void TestSettingsFaults::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QByteArray>("file");
    // A file smaller than a write buffer only reaches the disk when it is
    // committed, a larger one while it is written: both ways must fail.
    QTest::newRow("small file") << userSettings();
    QTest::newRow("large file") << userSettings() + "[Junk]\r\n" + QByteArray(40000, 'j') + "\r\n";
}

void TestSettingsFaults::fullDiskKeepsTheOldFile()
{
    QFETCH(QByteArray, file);
    REQUIRE_PRIVATE_MOUNTS();
    const QString disk = m_dir->filePath(QStringLiteral("disk"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("disk")));
    PrivateMounts::Mount mount;
    const QString error = mount.tmpfs(disk, 256 * 1024);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QString path = disk + QStringLiteral("/lexvan.ini");
    QVERIFY(writeBytes(path, file));
    QVERIFY(PrivateMounts::fill(disk));

    CIniFile ini;
    ini.SpecifyIni(path);
    QVERIFY(!ini.WriteString(kForm1, kGroup, QStringLiteral("8")));
    QCOMPARE(ini.ErrorText(), QStringLiteral("写入失败"));
    QVERIFY(!ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(readBytes(path), file);
    QCOMPARE(entries(disk), (QStringList{QStringLiteral("filler"), QStringLiteral("lexvan.ini")}));

    // Room again: the next write goes through.
    QVERIFY(QFile::remove(disk + QStringLiteral("/filler")));
    QVERIFY(ini.WriteString(kForm1, kGroup, QStringLiteral("8")));
    QCOMPARE(readBytes(path), QByteArray(file).replace("WordGroup=3", "WordGroup=8"));
}

void TestSettingsFaults::killedWriterNeverLeavesAPartialFile()
{
    // A writer is killed at random moments while it rewrites a large file
    // over and over. Whenever it dies, lexvan.ini must be one whole version:
    // every key of the user in place and the group one of those written.
    const QByteArray junk = "[Junk]\r\n" + QByteArray(2 * 1024 * 1024, 'j') + "\r\n";
    const QByteArray file = userSettings() + junk;
    QVERIFY(writeBytes(m_path, file));
    const QStringList groups = {QStringLiteral("3"), QStringLiteral("4444"), QStringLiteral("55")};

    QRandomGenerator random(8);
    int completeWrites = 0;
    QString previous = groups[0];
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            CIniFile writer;
            writer.SpecifyIni(m_path);
            for (int i = 1;; ++i)
                writer.WriteString(kForm1, kGroup, groups[i % groups.size()]);
        }
        QTest::qSleep(int(random.bounded(5, 120)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));

        const QByteArray now = readBytes(m_path);
        const QString group = m_ini.ReadString(kForm1, kGroup, 10);
        QVERIFY2(groups.contains(group),
                 qPrintable(QStringLiteral("round %1: WordGroup is \"%2\"").arg(round).arg(group)));
        QByteArray expected = file;
        expected.replace("WordGroup=3", QByteArray("WordGroup=" + group.toLatin1()));
        QVERIFY2(now == expected, qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
        if (group != previous)
            ++completeWrites;
        previous = group;
    }
    // Some kills must have come after a finished write, or the test saw only
    // the file it started with.
    QVERIFY(completeWrites > 0);
    // Each kill may leave the half-written new copy behind; it never takes
    // the settings file's name.
    for (const QString &name : entries(m_dir->path()))
        QVERIFY2(name == QStringLiteral("lexvan.ini") || name.startsWith(QStringLiteral("lexvan.ini.")),
                 qPrintable(name));
}

void TestSettingsFaults::leftoverCopiesAreRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("ageSeconds"); // before the settings file; negative: after it
    QTest::addColumn<bool>("removed");
    QTest::newRow("copy older than the settings") << "lexvan.ini.aZbQrT" << int(File) << 3600 << true;
    QTest::newRow("copy a second older") << "lexvan.ini.GJkccz" << int(File) << 1 << true;
    QTest::newRow("copy newer: a write may still be going on") << "lexvan.ini.aZbQrT" << int(File) << -3600 << false;
    QTest::newRow("a user's backup") << "lexvan.ini.backup" << int(File) << 3600 << false;
    QTest::newRow("a user's copy in capitals") << "lexvan.ini.BEFORE" << int(File) << 3600 << false;
    QTest::newRow("a user's capitalised copy") << "lexvan.ini.Backup" << int(File) << 3600 << false;
    QTest::newRow("five letters") << "lexvan.ini.aZbQr" << int(File) << 3600 << false;
    QTest::newRow("seven letters") << "lexvan.ini.aZbQrTx" << int(File) << 3600 << false;
    QTest::newRow("a digit") << "lexvan.ini.aZ3QrT" << int(File) << 3600 << false;
    QTest::newRow("no dot") << "lexvan.iniaZbQrTx" << int(File) << 3600 << false;
    QTest::newRow("another file's copy") << "library.ini.aZbQrT" << int(File) << 3600 << false;
    QTest::newRow("a link") << "lexvan.ini.aZbQrT" << int(Link) << 3600 << false;
    QTest::newRow("a folder") << "lexvan.ini.aZbQrT" << int(Folder) << 3600 << false;
}

void TestSettingsFaults::leftoverCopiesAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);
    QVERIFY(writeBytes(m_path, userSettings()));
    const QString leftover = m_dir->filePath(name);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    QString stamped = leftover;
    if (kind == File) {
        QVERIFY(writeBytes(leftover, "[LibName]\r\nLib0="));
    } else if (kind == Link) {
        QVERIFY(writeBytes(target, "precious"));
        QVERIFY(QFile::link(target, leftover));
        stamped = target;
    } else {
        QVERIFY(QDir().mkdir(leftover));
        QVERIFY(writeBytes(leftover + QStringLiteral("/inside"), "x"));
    }
    const QDateTime settingsTime = QFileInfo(m_path).lastModified();
    if (kind != Folder) {
        QFile file(stamped);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(settingsTime.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    } else {
        // A folder's own time: through the file system call, as QFile opens no folder.
        struct timespec times[2] = {{0, UTIME_OMIT}, {settingsTime.addSecs(-ageSeconds).toSecsSinceEpoch(), 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), times, 0), 0);
    }
    QCOMPARE(QFileInfo(leftover).lastModified() < settingsTime, ageSeconds > 0);

    QCOMPARE(Profile::removeLeftoverCopies(m_path), removed ? 1 : 0);

    QCOMPARE(QFileInfo(leftover).exists() || QFileInfo(leftover).isSymLink(), !removed);
    QCOMPARE(readBytes(m_path), userSettings());
    if (kind == Link)
        QCOMPARE(readBytes(target), QByteArray("precious"));
    if (kind == Folder)
        QCOMPARE(readBytes(leftover + QStringLiteral("/inside")), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestSettingsFaults)
#include "tst_settingsfaults.moc"

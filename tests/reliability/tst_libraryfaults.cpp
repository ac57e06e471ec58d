// The group loader when the library is not what it should be: something else
// stands where the file or the data folder should be, or the file holds
// garbage, broken GBK or one enormous line. The loader must say so or load
// what is there, never crash or hang, and never change the file.

#include "LoaderFolder.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"

#include "library/GroupLoader.h"
#include "settings/CIniFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <sys/stat.h>

using TestFiles::gbk;
using TestFiles::randomBytes;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QString kLibrary = QStringLiteral("四级");
const QString kNotice = QStringLiteral("现在已经是最后一组了！");

// The loader's program folder, with a window that shows a group from before.
class Fixture : public LoaderFolder
{
public:
    Fixture()
        : LoaderFolder({}, WordEntry{QStringLiteral("旧"), QStringLiteral("old"), 7})
    {
    }

    qint16 load(const QString &group) { return LoaderFolder::load(group, kLibrary); }

    // Nothing happened: one message, the window and the settings as before.
    void verifyUntouched(const QString &message) const
    {
        QCOMPARE(dialogs.messages, QStringList{message});
        QCOMPARE(resets, 0);
        QCOMPARE(wordCount, qint16(-1));
        QCOMPARE(words[0].Word, QStringLiteral("old"));
        QCOMPARE(words[0].Mark, 7);
        QCOMPARE(readBytes(iniPath), iniBefore);
    }
};

using Obstacle = std::function<bool(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(Obstacle)

class TestLibraryFaults : public QObject
{
    Q_OBJECT

private slots:
    void somethingElseInThePlaceOfTheLibrary_data();
    void somethingElseInThePlaceOfTheLibrary();
    void garbage();
    void brokenGbk();
    void gbkThatLooksLikeUtf8_data();
    void gbkThatLooksLikeUtf8();
    void tenMegabyteLine_data();
    void tenMegabyteLine();
};

void TestLibraryFaults::somethingElseInThePlaceOfTheLibrary_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("message");

    const QString missing = QStringLiteral("找不到词库文件！") + kLibrary;
    const QString unreadable = QStringLiteral("无法读取词库文件！") + kLibrary;
    QTest::newRow("no data folder") << Obstacle([](Fixture &f) { return QDir(f.dataDir).removeRecursively(); })
                                    << missing;
    QTest::newRow("data is a file") << Obstacle([](Fixture &f) {
        return QDir(f.dataDir).removeRecursively() && writeBytes(f.dataDir, "cet4.txt");
    }) << missing;
    QTest::newRow("link to nowhere") << Obstacle([](Fixture &f) {
        return QFile::link(f.dir.filePath(QStringLiteral("gone.txt")), f.libraryPath);
    }) << missing;
    // Reading these would never end: a pipe waits for a writer, a device
    // hands out bytes for ever.
    QTest::newRow("named pipe") << Obstacle([](Fixture &f) {
        return ::mkfifo(QFile::encodeName(f.libraryPath).constData(), 0644) == 0;
    }) << unreadable;
    QTest::newRow("link to /dev/zero") << Obstacle([](Fixture &f) {
        return QFile::link(QStringLiteral("/dev/zero"), f.libraryPath);
    }) << unreadable;
}

void TestLibraryFaults::somethingElseInThePlaceOfTheLibrary()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(obstacle(f));
    QCOMPARE(f.load(QStringLiteral("1")), qint16(0));
    f.verifyUntouched(message);
}

void TestLibraryFaults::garbage()
{
    // 1 MB of random bytes: garbled words, but every group has 1 to 25 of
    // them, the last group is found, and the file is left alone.
    const QByteArray library = randomBytes(1024 * 1024, 3);
    Fixture f;
    QVERIFY(writeBytes(f.libraryPath, library));

    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    QCOMPARE(f.wordCount, qint16(25));
    QVERIFY(f.dialogs.messages.isEmpty());
    for (int i = 0; i < 25; ++i) {
        const WordEntry &entry = f.words[size_t(i)];
        QVERIFY(!entry.Word.isEmpty() && !entry.Meaning.isEmpty());
        QVERIFY(!entry.Word.contains(u'\r') && !entry.Word.contains(u'\n'));
        QVERIFY(!entry.Meaning.contains(u'\r') && !entry.Meaning.contains(u'\n'));
    }

    const qint16 last = f.load(QStringLiteral("9999"));
    QVERIFY(last > 1 && last < 9999);
    QVERIFY(f.wordCount >= 1 && f.wordCount <= 25);
    QCOMPARE(f.dialogs.messages.last(), kNotice);
    QCOMPARE(f.ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10), QString::number(last));
    // The last group really is the last: one further is not loaded.
    QCOMPARE(f.load(QString::number(last + 1)), last);
    QCOMPARE(readBytes(f.libraryPath), library);
}

void TestLibraryFaults::brokenGbk()
{
    // Lead bytes with no second byte, bytes no GBK text has, and a
    // four-byte GB18030 character cut short: each becomes a replacement
    // character, and the good text around them stays readable.
    const QByteArray library = "good\r\n" + gbk(QStringLiteral("好")) + "\r\n\x81\r\nlead at line end\r\n" +
                               "word\xFF\r\n\x81\x30\x81\r\nlast\r\n\xA1";
    Fixture f;
    QVERIFY(writeBytes(f.libraryPath, library));

    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    QCOMPARE(f.wordCount, qint16(4));
    QCOMPARE(f.words[0].Word, QStringLiteral("good"));
    QCOMPARE(f.words[0].Meaning, QStringLiteral("好"));
    QCOMPARE(f.words[1].Word, QStringLiteral("\uFFFD"));
    QCOMPARE(f.words[1].Meaning, QStringLiteral("lead at line end"));
    QVERIFY(f.words[2].Word.startsWith(QStringLiteral("word")) && f.words[2].Word.endsWith(u'\uFFFD'));
    QVERIFY(f.words[2].Meaning.contains(u'\uFFFD'));
    QCOMPARE(f.words[3].Word, QStringLiteral("last"));
    QCOMPARE(f.words[3].Meaning, QStringLiteral("\uFFFD"));
    QCOMPARE(f.dialogs.messages, QStringList{kNotice});
    QCOMPARE(readBytes(f.libraryPath), library);
}

void TestLibraryFaults::gbkThatLooksLikeUtf8_data()
{
    QTest::addColumn<QString>("text");

    // 猫 is C3 A8 in GBK, which is also "è" in UTF-8; 楼 is C2 A5, "¥".
    QTest::newRow("one word") << QStringLiteral("cat\r\n猫\r\n");
    QTest::newRow("two words") << QStringLiteral("cat\r\n猫\r\nbuilding\r\n楼\r\n");
    QTest::newRow("a meaning of two characters") << QStringLiteral("rash\r\n鲁莽\r\n");
}

void TestLibraryFaults::gbkThatLooksLikeUtf8()
{
    // Short GBK libraries, such as a box with a word or two, must not be
    // taken for UTF-8 because their bytes happen to form it.
    QFETCH(QString, text);
    const QByteArray bytes = gbk(text);
    QVERIFY2(!QString::fromUtf8(bytes).contains(u'\uFFFD'), "the GBK bytes are meant to be valid UTF-8");
    Fixture f;
    QVERIFY(writeBytes(f.libraryPath, bytes));
    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(f.wordCount, qint16(lines.size() / 2));
    for (int i = 0; i < f.wordCount; ++i) {
        QCOMPARE(f.words[size_t(i)].Word, lines[2 * i]);
        QCOMPARE(f.words[size_t(i)].Meaning, lines[2 * i + 1]);
    }
}

void TestLibraryFaults::tenMegabyteLine_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<int>("wordCount");
    QTest::addColumn<int>("longWord");
    QTest::addColumn<int>("longMeaning");

    const int size = 10 * 1024 * 1024;
    const QByteArray line(size, 'a');
    QTest::newRow("the whole file") << line << 1 << size << 0;
    QTest::newRow("a word") << QByteArray("first\r\n1\r\n" + line + "\r\nmeaning\r\n") << 2 << size << 7;
    QTest::newRow("a meaning") << QByteArray("first\r\n1\r\nword\r\n" + line) << 2 << 4 << size;
    QTest::newRow("10 MB of CR") << QByteArray(size, '\r') + "word\r\n" << 1 << 4 << 0;
}

void TestLibraryFaults::tenMegabyteLine()
{
    QFETCH(QByteArray, library);
    QFETCH(int, wordCount);
    QFETCH(int, longWord);
    QFETCH(int, longMeaning);
    Fixture f;
    QVERIFY(writeBytes(f.libraryPath, library));

    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    QCOMPARE(f.wordCount, qint16(wordCount));
    const WordEntry &entry = f.words[size_t(wordCount - 1)];
    QCOMPARE(entry.Word.size(), qsizetype(longWord));
    QCOMPARE(entry.Meaning.size(), qsizetype(longMeaning));
    QCOMPARE(f.dialogs.messages, QStringList{kNotice});
    QCOMPARE(f.load(QStringLiteral("2")), qint16(1));
    QVERIFY(readBytes(f.libraryPath) == library);
}

QTEST_GUILESS_MAIN(TestLibraryFaults)
#include "tst_libraryfaults.moc"

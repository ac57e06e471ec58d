#include "library/GroupLoader.h"

#include "settings/CIniFile.h"

#include "LoaderFolder.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Form1 = QStringLiteral("Form1LastData");

QString wordOf(int record)
{
    return QStringLiteral("word %1").arg(record);
}

QString meaningOf(int record)
{
    return QStringLiteral("意思%1；释义").arg(record);
}

// Records `first` to `last`, word line then meaning line, CR LF.
QString records(int first, int last)
{
    QString text;
    for (int r = first; r <= last; ++r)
        text += wordOf(r) + QStringLiteral("\r\n") + meaningOf(r) + QStringLiteral("\r\n");
    return text;
}

QByteArray gbkRecords(int count)
{
    return TestFiles::gbk(records(1, count));
}

// The loader's program folder, with 月光宝盒3 pointed at a library too, and a
// window showing a group from before.
class Fixture : public LoaderFolder
{
public:
    Fixture()
        : LoaderFolder(QStringLiteral("月光宝盒3=cet4.txt\r\n"),
                       WordEntry{QStringLiteral("old meaning"), QStringLiteral("old word"), 7})
    {
    }

    QString stored(const QString &key) { return ini.ReadString(Form1, key, 10); }
};

} // namespace

class TestGroupLoader : public QObject
{
    Q_OBJECT

private slots:
    void refusesWithOneMessage_data();
    void refusesWithOneMessage();
    void loadsTheRequestedGroup();
    void stopsAtTheLastGroup_data();
    void stopsAtTheLastGroup();
    void readsEveryLayoutAlike_data();
    void readsEveryLayoutAlike();
    void keepsSpacesAndALoneWord();
    void reportsAnEmptiedLibrary_data();
    void reportsAnEmptiedLibrary();
    void readsBoxFilesDirectly();
    void reportsAnUnreadableLibrary();
    void leavesOutTheNoticeWhenAsked();
};

void TestGroupLoader::refusesWithOneMessage_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("message");

    const QString zero = QStringLiteral("组号不允许为空值或者零！");
    const QString tooLong = QStringLiteral("组号不能大于5为数！");
    const QString nonDigit = QStringLiteral("组号不允许含有非数字字符！");
    const QString noName = QStringLiteral("词库名字不允许为空值！");
    const QString noFileName = QStringLiteral("该词库没有对应的文件名！");
    const QString lib = QStringLiteral("四级");

    QTest::newRow("empty group") << QString() << lib << zero;
    QTest::newRow("spaces only") << QStringLiteral("   ") << lib << zero;
    QTest::newRow("0") << QStringLiteral("0") << lib << zero;
    QTest::newRow("five zeros: zero comes first") << QStringLiteral("00000") << lib << zero;
    QTest::newRow("zero and empty name: group first") << QStringLiteral("0") << QString() << zero;
    QTest::newRow("12345") << QStringLiteral("12345") << lib << tooLong;
    QTest::newRow("long and not digits: length first") << QStringLiteral("1a2b3") << lib << tooLong;
    QTest::newRow("spaces make it long") << QStringLiteral(" 123 ") << lib << tooLong;
    QTest::newRow("1a") << QStringLiteral("1a") << lib << nonDigit;
    QTest::newRow("space before") << QStringLiteral(" 1") << lib << nonDigit;
    QTest::newRow("space after zero") << QStringLiteral("0 ") << lib << nonDigit;
    QTest::newRow("digit with tab") << QStringLiteral("1\t") << lib << nonDigit;
    QTest::newRow("empty name") << QStringLiteral("1") << QString() << noName;
    QTest::newRow("name of spaces") << QStringLiteral("1") << QStringLiteral("   ") << noName;
    QTest::newRow("unregistered name") << QStringLiteral("1") << QStringLiteral("六级") << noFileName;
    QTest::newRow("box name with a space is no box")
        << QStringLiteral("1") << QStringLiteral(" 月光宝盒1") << noFileName;
    QTest::newRow("missing box file") << QStringLiteral("1") << QStringLiteral("月光宝盒4")
                                      << QStringLiteral("找不到词库文件！月光宝盒4");
    // The settings file finds the key without the spaces around the name;
    // the message still names the library as it was given.
    QTest::newRow("missing library file, name kept whole")
        << QStringLiteral("1") << QStringLiteral(" 四级  ") << QStringLiteral("找不到词库文件！ 四级  ");
}

void TestGroupLoader::refusesWithOneMessage()
{
    QFETCH(QString, group);
    QFETCH(QString, library);
    QFETCH(QString, message);

    Fixture f;
    // Something to load, so that only the check under test can stop it.
    QVERIFY(f.writeLibrary(QStringLiteral("box1.txt"), gbkRecords(30)));
    QVERIFY(f.writeLibrary(QStringLiteral("box0.txt"), gbkRecords(30)));

    QCOMPARE(f.load(group, library), qint16(0));
    QCOMPARE(f.dialogs.messages, QStringList{message});
    QCOMPARE(f.resets, 0);
    QCOMPARE(f.words[0].Word, QStringLiteral("old word"));
    QCOMPARE(f.words[24].Mark, 7);
    QCOMPARE(f.wordCount, qint16(-1));
    QVERIFY(f.iniUnchanged());
    QVERIFY(!f.details.isLastGroup);
}

void TestGroupLoader::loadsTheRequestedGroup()
{
    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), gbkRecords(200)));
    f.setup.libraryIndex = -1;

    QCOMPARE(f.load(QStringLiteral("007")), qint16(7));
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.resets, 1);
    QCOMPARE(f.words[0].Word, wordOf(151));
    QCOMPARE(f.words[25].Word, QStringLiteral("old word"));
    QCOMPARE(f.words[25].Mark, 7);
    QCOMPARE(f.stored(QStringLiteral("WordGroup")), QStringLiteral("7"));
    QCOMPARE(f.stored(QStringLiteral("WordLibrary")), QStringLiteral("-1"));
    QCOMPARE(f.details.fileName, QStringLiteral("cet4.txt"));
    QVERIFY(!f.details.isBox);
    QVERIFY(!f.details.isLastGroup);
}

void TestGroupLoader::stopsAtTheLastGroup_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("last");

    const auto row = [](const char *name, const QByteArray &library, const char *group, int loaded, int count,
                        bool last) {
        QTest::newRow(name) << library << QString::fromLatin1(group) << loaded << count << last;
    };
    row("200 records, group 007", gbkRecords(200), "007", 7, 25, false);
    row("60 records, group 2", gbkRecords(60), "2", 2, 25, false);
    row("60 records, group 3", gbkRecords(60), "3", 3, 10, true);
    row("60 records, group 9", gbkRecords(60), "9", 3, 10, true);
    row("60 records, group 9999", gbkRecords(60), "9999", 3, 10, true);
    row("50 records, group 1", gbkRecords(50), "1", 1, 25, false);
    row("50 records, group 2", gbkRecords(50), "2", 2, 25, true);
    row("50 records, group 3", gbkRecords(50), "3", 2, 25, true);
    row("51 records, group 5", gbkRecords(51), "5", 3, 1, true);
    row("25 records, group 2", gbkRecords(25), "2", 1, 25, true);
    row("one record", gbkRecords(1), "1", 1, 1, true);
    // Empty lines after the last record are no record of their own.
    const QByteArray blankTail("\r\n\r\n\n\r\n");
    row("50 records and blank lines, group 3", gbkRecords(50) + blankTail, "3", 2, 25, true);
    row("50 records and blank lines, group 2", gbkRecords(50) + blankTail, "2", 2, 25, true);
    row("30 records and blank lines, group 2", gbkRecords(30) + blankTail, "2", 2, 5, true);
}

void TestGroupLoader::stopsAtTheLastGroup()
{
    QFETCH(QByteArray, library);
    QFETCH(QString, group);
    QFETCH(int, loaded);
    QFETCH(int, count);
    QFETCH(bool, last);

    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), library));
    f.setup.libraryIndex = 2;

    QCOMPARE(f.load(group), qint16(loaded));
    QCOMPARE(f.wordCount, qint16(count));
    QCOMPARE(f.details.isLastGroup, last);
    QCOMPARE(f.dialogs.messages,
             last ? QStringList{QStringLiteral("现在已经是最后一组了！")} : QStringList{});
    const int first = (loaded - 1) * 25 + 1;
    for (int i = 0; i < 25; ++i) {
        QCOMPARE(f.words[i].Word, i < count ? wordOf(first + i) : QString());
        QCOMPARE(f.words[i].Meaning, i < count ? meaningOf(first + i) : QString());
        QCOMPARE(f.words[i].Mark, 0);
    }
    QCOMPARE(f.words[25].Word, QStringLiteral("old word"));
    QCOMPARE(f.stored(QStringLiteral("WordGroup")), QString::number(loaded));
    QCOMPARE(f.stored(QStringLiteral("WordLibrary")), QStringLiteral("2"));
}

void TestGroupLoader::readsEveryLayoutAlike_data()
{
    QTest::addColumn<QByteArray>("library");

    // 30 records, the first with spaces that belong to the word.
    const QString first = QStringLiteral("  look up \r\n查找；查阅\r\n");
    const QString rest = records(2, 30);
    const QString crlf = first + rest;

    QTest::newRow("GBK, CR LF") << TestFiles::gbk(crlf);
    QTest::newRow("UTF-8") << crlf.toUtf8();
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + crlf.toUtf8();
    QTest::newRow("LF only") << TestFiles::gbk(QString(crlf).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QTest::newRow("CR only") << TestFiles::gbk(QString(crlf).replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
    QTest::newRow("no line end at the end") << TestFiles::gbk(crlf.chopped(2));
    QTest::newRow("trailing blank lines") << TestFiles::gbk(crlf + QStringLiteral("\r\n\r\n\r\n"));

    QString between;
    QString inside;
    for (int r = 2; r <= 30; ++r) {
        between += QStringLiteral("\r\n") + wordOf(r) + QStringLiteral("\r\n") + meaningOf(r) + QStringLiteral("\r\n");
        inside += wordOf(r) + QStringLiteral("\r\n\r\n\n") + meaningOf(r) + QStringLiteral("\r\n");
    }
    QTest::newRow("blank lines between records") << TestFiles::gbk(QStringLiteral("\r\n\r\n") + first + between);
    QTest::newRow("blank lines inside records") << TestFiles::gbk(first + inside);
}

void TestGroupLoader::readsEveryLayoutAlike()
{
    QFETCH(QByteArray, library);

    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), library));

    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    QCOMPARE(f.wordCount, qint16(25));
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.words[0].Word, QStringLiteral("  look up "));
    QCOMPARE(f.words[0].Meaning, QStringLiteral("查找；查阅"));
    QCOMPARE(f.words[24].Word, wordOf(25));
    QCOMPARE(f.words[24].Meaning, meaningOf(25));

    QCOMPARE(f.load(QStringLiteral("2")), qint16(2));
    QCOMPARE(f.wordCount, qint16(5));
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("现在已经是最后一组了！")});
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(f.words[i].Word, wordOf(26 + i));
        QCOMPARE(f.words[i].Meaning, meaningOf(26 + i));
    }
    QCOMPARE(f.words[5].Word, QString());
}

void TestGroupLoader::keepsSpacesAndALoneWord()
{
    // A line of spaces is a word or a meaning like any other; a word line
    // with nothing after it but empty lines is a word without meaning.
    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"),
                           TestFiles::gbk(records(1, 3) + QStringLiteral("   \r\n\r\n  \r\n孤词\r\n\r\n\r\n"))));

    QCOMPARE(f.load(QStringLiteral("1")), qint16(1));
    QCOMPARE(f.wordCount, qint16(5));
    QCOMPARE(f.words[3].Word, QStringLiteral("   "));
    QCOMPARE(f.words[3].Meaning, QStringLiteral("  "));
    QCOMPARE(f.words[4].Word, QStringLiteral("孤词"));
    QCOMPARE(f.words[4].Meaning, QString());
    QCOMPARE(f.words[4].Mark, 0);
    QVERIFY(f.details.isLastGroup);

    // Such a word alone makes a group of its own.
    QVERIFY(f.writeLibrary(QStringLiteral("box0.txt"), TestFiles::gbk(records(1, 25) + QStringLiteral("孤词\r\n"))));
    QCOMPARE(f.load(QStringLiteral("9"), QStringLiteral("月光宝盒0")), qint16(2));
    QCOMPARE(f.wordCount, qint16(1));
    QCOMPARE(f.words[0].Word, QStringLiteral("孤词"));
}

void TestGroupLoader::reportsAnEmptiedLibrary_data()
{
    QTest::addColumn<QByteArray>("library");

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n\n\r\r\n");
    QTest::newRow("byte-order mark only") << QByteArray("\xEF\xBB\xBF\r\n");
}

void TestGroupLoader::reportsAnEmptiedLibrary()
{
    QFETCH(QByteArray, library);

    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), library));

    QCOMPARE(f.load(QStringLiteral("3")), qint16(0));
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("词库文件已经清空！")});
    QCOMPARE(f.resets, 1);
    QCOMPARE(f.words[0].Word, QString());
    QVERIFY(f.iniUnchanged());
    QVERIFY(!f.details.isLastGroup);
}

void TestGroupLoader::readsBoxFilesDirectly()
{
    Fixture f;
    // [LibraryFileName] maps 月光宝盒3 to cet4.txt as well; a box name never
    // goes through that section.
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), gbkRecords(60)));
    QVERIFY(f.writeLibrary(QStringLiteral("box3.txt"), TestFiles::gbk(records(100, 102))));
    f.setup.libraryIndex = 4;

    QCOMPARE(f.load(QStringLiteral("1"), QStringLiteral("月光宝盒3")), qint16(1));
    QCOMPARE(f.wordCount, qint16(3));
    QCOMPARE(f.words[0].Word, wordOf(100));
    QCOMPARE(f.details.fileName, QStringLiteral("box3.txt"));
    QVERIFY(f.details.isBox);
    QCOMPARE(f.stored(QStringLiteral("WordLibrary")), QStringLiteral("4"));
}

void TestGroupLoader::reportsAnUnreadableLibrary()
{
    Fixture f;
    QVERIFY(QDir(f.setup.dataDir).mkdir(QStringLiteral("cet4.txt")));

    QCOMPARE(f.load(QStringLiteral("1"), QStringLiteral("四级 ")), qint16(0));
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("无法读取词库文件！四级 ")});
    QCOMPARE(f.resets, 0);
    QCOMPARE(f.words[0].Word, QStringLiteral("old word"));
    QCOMPARE(f.words[0].Mark, 7);
    QCOMPARE(f.wordCount, qint16(-1));
    QVERIFY(f.iniUnchanged());
    // The box window learns the file even though nothing was loaded.
    QCOMPARE(f.details.fileName, QStringLiteral("cet4.txt"));
}

void TestGroupLoader::leavesOutTheNoticeWhenAsked()
{
    Fixture f;
    QVERIFY(f.writeLibrary(QStringLiteral("cet4.txt"), gbkRecords(60)));
    f.setup.lastGroupNotice = false;
    f.setup.section = QStringLiteral("Form4LastData");

    QCOMPARE(f.load(QStringLiteral("5")), qint16(3));
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.details.isLastGroup);
    QCOMPARE(f.ini.ReadString(QStringLiteral("Form4LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("3"));
    QCOMPARE(f.stored(QStringLiteral("WordGroup")), QString());
}

QTEST_APPLESS_MAIN(TestGroupLoader)
#include "tst_grouploader.moc"

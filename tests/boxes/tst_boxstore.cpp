#include "BoxDrops.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"

#include "boxes/BoxStore.h"
#include "library/WordFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

using TestFiles::gbk;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QByteArray kBom("\xEF\xBB\xBF", 3);

// A data folder of its own for every test.
class DataFolder
{
public:
    DataFolder() { QDir(m_dir.path()).mkdir(QStringLiteral("data")); }

    QString path() const { return m_dir.filePath(QStringLiteral("data")); }
    QString file(const QString &name) const { return path() + u'/' + name; }
    QString box(int n) const { return file(QStringLiteral("box%1.txt").arg(n)); }
    QString temp() const { return file(QStringLiteral("$word_temp")); }

private:
    QTemporaryDir m_dir;
};

WordTable tableOf(const QList<QPair<QString, QString>> &entries)
{
    WordTable table;
    for (int i = 0; i < entries.size(); ++i) {
        table[size_t(i)].Word = entries[i].first;
        table[size_t(i)].Meaning = entries[i].second;
    }
    return table;
}

bool failingReplace(const QString &, const QString &)
{
    return false;
}

// Real file-system faults need mounts, made in a mount namespace of this
// process alone: nothing else sees them and they go with it. Empty text when
// the mount worked, else why not (it needs root).
QString mountPrivately(const char *source, const QString &target, const char *type, unsigned long flags,
                       const char *options)
{
    static const bool alone = ::unshare(CLONE_NEWNS) == 0
                              && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (!alone)
        return QStringLiteral("no mount namespace of our own: ") + QString::fromLocal8Bit(std::strerror(errno));
    if (::mount(source, QFile::encodeName(target).constData(), type, flags, options) != 0)
        return QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace

class TestBoxStore : public QObject
{
    Q_OBJECT

private slots:
    void countsAreHalfTheLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("count");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("0");
        QTest::newRow("seven lines") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n") << QStringLiteral("3.5");
        QTest::newRow("last line without line end") << QByteArray("a\r\nb\r\nc") << QStringLiteral("1.5");
        QTest::newRow("empty lines count") << QByteArray("a\r\n\r\nb\r\n") << QStringLiteral("1.5");
        QTest::newRow("lone LF and lone CR end lines") << QByteArray("a\nb\rc\r\nd\r\n") << QStringLiteral("2");
        QTest::newRow("byte-order mark is no line") << kBom + QByteArray("a\r\nb\r\n") << QStringLiteral("1");
    }

    void countsAreHalfTheLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, count);
        DataFolder data;
        QVERIFY(writeBytes(data.box(2), content));
        BoxStore::BoxCounts counts;
        counts.fill(QStringLiteral("9"));

        BoxStore::IniBoxSum(data.path(), counts);

        QCOMPARE(counts[2], count);
        // The other boxes were missing: created empty, captions kept.
        for (int box : {0, 1, 3, 4}) {
            QCOMPARE(counts[size_t(box)], QStringLiteral("9"));
            QVERIFY(QFileInfo(data.box(box)).isFile());
            QCOMPARE(QFileInfo(data.box(box)).size(), 0);
        }
        QCOMPARE(readBytes(data.box(2)), content);
    }

    void countingSurvivesWhatItCannotRead()
    {
        // No data folder at all, and a box that is a folder.
        QTemporaryDir dir;
        BoxStore::BoxCounts counts;
        counts.fill(QStringLiteral("4"));
        BoxStore::IniBoxSum(dir.filePath(QStringLiteral("missing")), counts);
        for (const QString &caption : counts)
            QCOMPARE(caption, QStringLiteral("4"));

        // A folder, a named pipe and an endless device where boxes should be.
        DataFolder data;
        QVERIFY(QDir().mkdir(data.box(3)));
        QCOMPARE(::mkfifo(QFile::encodeName(data.box(1)).constData(), 0644), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), data.box(2)));
        BoxStore::IniBoxSum(data.path(), counts);
        for (const QString &caption : counts)
            QCOMPARE(caption, QStringLiteral("4"));
        QVERIFY(QFileInfo(data.box(3)).isDir());

        // Nor can a word be added to them.
        RecordingDialogs dialogs;
        const WordTable words = tableOf({{QStringLiteral("apple"), QStringLiteral("苹果")}});
        for (int box : {1, 2, 3})
            QCOMPARE(BoxDrops::add(data.path(), box, words, 0, counts[size_t(box)], dialogs),
                     BoxStore::AddOutcome::WriteFailed);
        QCOMPARE(dialogs.messages.size(), 3);
    }

    void addingTwiceAppendsTwice()
    {
        DataFolder data;
        RecordingDialogs dialogs;
        const WordTable words = tableOf({{QStringLiteral("apple"), QStringLiteral("苹果")},
                                         {QStringLiteral("pear"), QStringLiteral("梨")}});
        QString caption = QStringLiteral("2.5");

        QCOMPARE(BoxDrops::add(data.path(), 4, words, 1, caption, dialogs), BoxStore::AddOutcome::Added);
        QCOMPARE(BoxDrops::add(data.path(), 4, words, 1, caption, dialogs), BoxStore::AddOutcome::Added);
        QCOMPARE(BoxDrops::add(data.path(), 4, words, 0, caption, dialogs), BoxStore::AddOutcome::Added);

        QCOMPARE(dialogs.messages, QStringList());
        QCOMPARE(caption, QStringLiteral("5.5"));
        QCOMPARE(readBytes(data.box(4)), gbk(QStringLiteral("pear\r\n梨\r\npear\r\n梨\r\napple\r\n苹果\r\n")));
    }

    void appendNeverJoinsTheLastLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray added = gbk(QStringLiteral("new\r\n新\r\n"));
        QTest::newRow("last line without line end")
            << gbk(QStringLiteral("old\r\n旧")) << gbk(QStringLiteral("old\r\n旧\r\n")) + added;
        QTest::newRow("ends with CR LF") << QByteArray("old\r\nx\r\n") << QByteArray("old\r\nx\r\n") + added;
        QTest::newRow("ends with lone LF") << QByteArray("old\nx\n") << QByteArray("old\nx\n") + added;
        QTest::newRow("empty") << QByteArray() << added;
    }

    void appendNeverJoinsTheLastLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        DataFolder data;
        QVERIFY(writeBytes(data.box(0), before));
        QVERIFY(BoxStore::modify_box_data(data.path(), 0, WordEntry{QStringLiteral("新"), QStringLiteral("new"), 0}));
        QCOMPARE(readBytes(data.box(0)), after);
    }

    void appendKeepsTheEncoding_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QString entry = QStringLiteral("über\r\n超过\r\n");
        const QByteArray utf8 = QStringLiteral("café\r\n咖啡馆\r\n").toUtf8();
        QTest::newRow("UTF-8") << utf8 << utf8 + entry.toUtf8();
        QTest::newRow("BOM alone") << kBom << kBom + entry.toUtf8();
        QTest::newRow("GBK") << gbk(QStringLiteral("书\r\n书本\r\n")) << gbk(QStringLiteral("书\r\n书本\r\n") + entry);
    }

    void appendKeepsTheEncoding()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        DataFolder data;
        QVERIFY(writeBytes(data.box(1), before));
        QVERIFY(BoxStore::modify_box_data(data.path(), 1, WordEntry{QStringLiteral("超过"), QStringLiteral("über"), 0}));
        QCOMPARE(readBytes(data.box(1)), after);
    }

    void nothingToAdd_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("slot past the group") << 2;
        QTest::newRow("word without meaning") << 1;
        QTest::newRow("no slot at all") << -1;
    }

    void nothingToAdd()
    {
        QFETCH(int, index);
        DataFolder data;
        RecordingDialogs dialogs;
        const WordTable words =
            tableOf({{QStringLiteral("apple"), QStringLiteral("苹果")}, {QStringLiteral("half"), QString()}});
        QString caption = QStringLiteral("1");

        QCOMPARE(BoxDrops::add(data.path(), 0, words, index, caption, dialogs),
                 BoxStore::AddOutcome::NothingToAdd);
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("没有可以添加的数据！")});
        QCOMPARE(caption, QStringLiteral("1"));
        QVERIFY(!QFile::exists(data.box(0)));
    }

    void deletingRemovesEveryRecordOfTheWord()
    {
        DataFolder data;
        const QString library = data.file(QStringLiteral("lib.txt"));
        QVERIFY(writeBytes(library, gbk(QStringLiteral("apple\r\n苹果\r\n"
                                                       "Apple\r\n苹果公司\r\n"
                                                       "apple\r\n苹果树\r\n"
                                                       "pear\r\n梨\r\n"
                                                       "apple \r\n带空格\r\n"
                                                       "apple\r\n一种水果\r\n"))));
        RecordingDialogs dialogs;
        const WordTable words = tableOf({{QStringLiteral("pear"), QStringLiteral("梨")},
                                         {QStringLiteral("apple"), QStringLiteral("苹果树")}});

        QCOMPARE(BoxDrops::remove(data.path(), QStringLiteral("lib.txt"), words, 1, dialogs),
                 BoxStore::DeleteOutcome::Deleted);

        QCOMPARE(dialogs.messages, QStringList());
        QCOMPARE(TestFiles::fromGbk(readBytes(library)),
                 QStringLiteral("Apple\r\n苹果公司\r\npear\r\n梨\r\napple \r\n带空格\r\n"));
        QVERIFY(!QFile::exists(data.temp()));
    }

    void rewriteTidiesTheFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("empty lines go") << QByteArray("\r\n\r\none\r\n\r\nI\r\ntwo\r\nII\r\n\r\nthree\r\n\r\n\r\nIII\r\n\r\n")
                                        << QStringLiteral("two") << QByteArray("one\r\nI\r\nthree\r\nIII\r\n");
        QTest::newRow("other line ends become CR LF")
            << QByteArray("one\nI\rtwo\n\nII\r\nthree\r\rIII") << QStringLiteral("two")
            << QByteArray("one\r\nI\r\nthree\r\nIII\r\n");
        QTest::newRow("word without meaning at the end goes")
            << QByteArray("one\r\nI\r\ntwo\r\nII\r\nlast\r\n") << QStringLiteral("one") << QByteArray("two\r\nII\r\n");
        QTest::newRow("spaces are a line") << QByteArray("  \r\nblank\r\nx\r\n \r\ny\r\nY\r\n") << QStringLiteral("y")
                                           << QByteArray("  \r\nblank\r\nx\r\n \r\n");
        QTest::newRow("word not in the file") << QByteArray("a\r\nA\r\n\r\nb\r\nB") << QStringLiteral("zzz")
                                              << QByteArray("a\r\nA\r\nb\r\nB\r\n");
        QTest::newRow("meaning equal to the word stays")
            << QByteArray("x\r\nword\r\nword\r\nW\r\n") << QStringLiteral("word") << QByteArray("x\r\nword\r\n");
        QTest::newRow("only word") << QByteArray("only\r\nO\r\n") << QStringLiteral("only") << QByteArray();
        QTest::newRow("UTF-8 with BOM stays so")
            << kBom + QStringLiteral("书\r\nbook\n猫\r\ncat\r\n书\r\nbooks").toUtf8() << QStringLiteral("书")
            << kBom + QStringLiteral("猫\r\ncat\r\n").toUtf8();
        // What stays of a UTF-8 library must still read as UTF-8: "café" alone
        // would pass for GBK, so the rewrite marks the file.
        QTest::newRow("UTF-8 whose Chinese leaves gets a BOM")
            << QStringLiteral("天\r\nsky\r\ncafé\r\ncoffee\r\n").toUtf8() << QStringLiteral("天")
            << kBom + QStringLiteral("café\r\ncoffee\r\n").toUtf8();
        QTest::newRow("UTF-8 that stays recognisable is left unmarked")
            << QStringLiteral("天\r\nsky\r\ncafé\r\n咖啡\r\n").toUtf8() << QStringLiteral("天")
            << QStringLiteral("café\r\n咖啡\r\n").toUtf8();
        // A broken character at the end of a line is part of the line: the
        // word "abc" is not the same as "abc" and a lone GBK lead byte.
        QTest::newRow("broken character")
            << QByteArray("abc\x81\r\nX\r\nabc\r\nY\r\n\xB0\xA1\r\nZ\r\n") << QStringLiteral("abc")
            << QByteArray("abc\x81\r\nX\r\n\xB0\xA1\r\nZ\r\n");
        // A word that starts with the bytes of a byte-order mark must not be
        // taken for one when the records before it go: an empty line goes
        // first.
        QTest::newRow("UTF-8 word starting with U+FEFF comes first")
            << QStringLiteral("dog\r\n狗\r\n\uFEFFcat\r\n猫\r\n").toUtf8() << QStringLiteral("dog")
            << "\r\n" + QStringLiteral("\uFEFFcat\r\n猫\r\n").toUtf8();
        QTest::newRow("GBK word starting with EF BB BF comes first")
            << QByteArray("dog\r\n\xB9\xB7\r\n\xEF\xBB\xBF\xC0\xB4\r\nX\r\n") << QStringLiteral("dog")
            << QByteArray("\r\n\xEF\xBB\xBF\xC0\xB4\r\nX\r\n");
        QTest::newRow("after our own BOM no empty line is needed")
            << kBom + QStringLiteral("dog\r\n狗\r\n\uFEFFcat\r\n猫\r\n").toUtf8() << QStringLiteral("dog")
            << kBom + QStringLiteral("\uFEFFcat\r\n猫\r\n").toUtf8();
    }

    void remainingRecordsReadAsBefore_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("word");
        // The input the deletion fuzzer stopped on: its only three-byte
        // character is a U+FEFF line that is a word without a meaning, so
        // it goes, and what stays would pass for GBK.
        QTest::newRow("U+FEFF in an unfinished last record")
            << QByteArray("\xC3\xA8\r\ncat\r\xEF\xBB\xBF\r\n") << QString::fromUtf8("\xC3\x14");
        QTest::newRow("UTF-8 word starting with U+FEFF comes first")
            << QStringLiteral("dog\r\n狗\r\n\uFEFFcat\r\n猫\r\n\r\n").toUtf8() << QStringLiteral("dog");
        QTest::newRow("GBK word starting with EF BB BF comes first")
            << QByteArray("dog\r\n\xB9\xB7\r\n\xEF\xBB\xBF\xC0\xB4\r\n\xB9\xB7\r\n") << QStringLiteral("dog");
        QTest::newRow("lone CR after a record, then U+FEFF")
            << QStringLiteral("书\r\nbook\r\uFEFF\r猫\r\ncat\r\n").toUtf8() << QStringLiteral("书");
        QTest::newRow("broken UTF-8 lead byte keeps it GBK")
            << QByteArray("dog\r\nD\r\n\xEF\xBB\xBFx\r\nB\r\n\xC3\r\nA\r\n") << QStringLiteral("dog");
    }

    void remainingRecordsReadAsBefore()
    {
        // Whatever the bytes, the records that stay read back with the same
        // texts as before, through the same reader the windows use.
        QFETCH(QByteArray, before);
        QFETCH(QString, word);
        const auto recordsOf = [](const QByteArray &bytes, const QString &without) {
            QList<QPair<QString, QString>> records;
            WordFileReader reader(bytes);
            QString w;
            QString m;
            while (reader.readRecord(w, m)) {
                if (!m.isEmpty() && w != without)
                    records.append({w, m});
            }
            return records;
        };
        const QList<QPair<QString, QString>> expected = recordsOf(before, word);
        QVERIFY(!expected.isEmpty());
        DataFolder data;
        const QString library = data.file(QStringLiteral("lib.txt"));
        QVERIFY(writeBytes(library, before));

        QCOMPARE(BoxStore::removeWord(data.path(), QStringLiteral("lib.txt"), word), BoxStore::DeleteOutcome::Deleted);
        QCOMPARE(recordsOf(readBytes(library), QString()), expected);
    }

    void rewriteTidiesTheFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, word);
        QFETCH(QByteArray, after);
        DataFolder data;
        const QString library = data.file(QStringLiteral("lib.txt"));
        QVERIFY(writeBytes(library, before));

        QCOMPARE(BoxStore::removeWord(data.path(), QStringLiteral("lib.txt"), word), BoxStore::DeleteOutcome::Deleted);
        QCOMPARE(readBytes(library), after);
        QVERIFY(!QFile::exists(data.temp()));
    }

    void rewriteOfLongRunsAroundDeletedRecords()
    {
        // Long libraries are written in pieces; every piece must land, in
        // order, whichever records break the runs.
        DataFolder data;
        QByteArray before;
        QByteArray after;
        for (int n = 0; n < 20000; ++n) {
            const QByteArray word = n % 997 == 0 ? QByteArray("gone") : "w" + QByteArray::number(n);
            QByteArray record = word + "\r\n" + gbk(QStringLiteral("释义%1").arg(n)) + "\r\n";
            if (n % 1500 == 7)
                record.prepend("\r\n"); // an empty line breaks a run as well
            before += record;
            if (word != "gone")
                after += word + "\r\n" + gbk(QStringLiteral("释义%1").arg(n)) + "\r\n";
        }
        const QString library = data.file(QStringLiteral("long.txt"));
        QVERIFY(writeBytes(library, before));
        QCOMPARE(BoxStore::removeWord(data.path(), QStringLiteral("long.txt"), QStringLiteral("gone")),
                 BoxStore::DeleteOutcome::Deleted);
        QCOMPARE(readBytes(library), after);
    }

    void staleTemporaryFileIsReplaced_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("file left behind") << false;
        QTest::newRow("link left behind") << true;
    }

    void staleTemporaryFileIsReplaced()
    {
        // Neither is written through: a link would send the library
        // somewhere else.
        QFETCH(bool, link);
        DataFolder data;
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("precious.txt"));
        QVERIFY(writeBytes(outside, QByteArray(100000, 'x')));
        if (link)
            QVERIFY(QFile::link(outside, data.temp()));
        else
            QVERIFY(QFile::copy(outside, data.temp()));
        const QString library = data.file(QStringLiteral("lib.txt"));
        QVERIFY(writeBytes(library, "a\r\nA\r\nb\r\nB\r\n"));

        QCOMPARE(BoxStore::removeWord(data.path(), QStringLiteral("lib.txt"), QStringLiteral("a")),
                 BoxStore::DeleteOutcome::Deleted);
        QCOMPARE(readBytes(library), QByteArray("b\r\nB\r\n"));
        QVERIFY(!QFileInfo(library).isSymLink());
        QVERIFY(!QFileInfo::exists(data.temp()) && !QFileInfo(data.temp()).isSymLink());
        QCOMPARE(readBytes(outside), QByteArray(100000, 'x'));
    }

    void failedDeletionKeepsTheLibrary_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("outcome");
        QTest::newRow("library missing") << 0 << int(BoxStore::DeleteOutcome::ReadFailed);
        QTest::newRow("library is a folder") << 1 << int(BoxStore::DeleteOutcome::ReadFailed);
        QTest::newRow("library is a named pipe") << 4 << int(BoxStore::DeleteOutcome::ReadFailed);
        QTest::newRow("folder where the temporary file goes") << 2 << int(BoxStore::DeleteOutcome::WriteFailed);
        QTest::newRow("rename fails") << 3 << int(BoxStore::DeleteOutcome::ReplaceFailed);
    }

    void failedDeletionKeepsTheLibrary()
    {
        QFETCH(int, fault);
        QFETCH(int, outcome);
        DataFolder data;
        const QByteArray original = gbk(QStringLiteral("apple\r\n苹果\r\n\r\npear\r\n梨\r\n"));
        const QString library = data.file(QStringLiteral("lib.txt"));
        BoxStore::ReplaceFile replace = &BoxStore::replaceFile;
        switch (fault) {
        case 0:
            break;
        case 1:
            QVERIFY(QDir().mkdir(library));
            break;
        case 4:
            QCOMPARE(::mkfifo(QFile::encodeName(library).constData(), 0644), 0);
            break;
        case 2:
            QVERIFY(writeBytes(library, original));
            QVERIFY(QDir().mkpath(data.temp() + QStringLiteral("/inside")));
            break;
        default:
            QVERIFY(writeBytes(library, original));
            replace = &failingReplace;
            break;
        }
        RecordingDialogs dialogs;
        const WordTable words = tableOf({{QStringLiteral("apple"), QStringLiteral("苹果")}});

        const BoxStore::DeleteOutcome result =
            BoxDrops::remove(data.path(), QStringLiteral("lib.txt"), words, 0, dialogs, replace);

        QCOMPARE(int(result), outcome);
        QCOMPARE(dialogs.messages, QStringList{BoxStore::messageFor(result)});
        QVERIFY(!dialogs.messages.first().isEmpty());
        if (fault == 2 || fault == 3)
            QCOMPARE(readBytes(library), original);
        if (fault == 2)
            QVERIFY(QFileInfo(data.temp() + QStringLiteral("/inside")).isDir()); // not ours to remove
        else
            QVERIFY(!QFile::exists(data.temp()));
    }

    void fileSystemFaultsKeepTheLibrary_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<int>("outcome");
        QTest::newRow("disk full") << true << int(BoxStore::DeleteOutcome::WriteFailed);
        QTest::newRow("library cannot be replaced") << false << int(BoxStore::DeleteOutcome::ReplaceFailed);
    }

    void fileSystemFaultsKeepTheLibrary()
    {
        QFETCH(bool, diskFull);
        QFETCH(int, outcome);
        DataFolder data;
        const QString library = data.file(QStringLiteral("lib.txt"));
        QByteArray original;
        for (int n = 0; n < 600; ++n)
            original += "w" + QByteArray::number(n) + "\r\n" + gbk(QStringLiteral("释义%1").arg(n)) + "\r\n";
        QVERIFY(original.size() > 8192 && original.size() < 12288);
        if (!diskFull)
            QVERIFY(writeBytes(library, original));
        // Room for the library and one page more, so its new copy cannot fit;
        // or the library mounted on itself, so nothing can be renamed over it.
        const QString mounted = diskFull ? data.path() : library;
        const QString why = diskFull ? mountPrivately("tmpfs", mounted, "tmpfs", 0, "size=16384")
                                     : mountPrivately(qPrintable(library), mounted, nullptr, MS_BIND, nullptr);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(mounted).constData(), MNT_DETACH); });
        if (diskFull)
            QVERIFY(writeBytes(library, original));
        RecordingDialogs dialogs;
        const WordTable words = tableOf({{QStringLiteral("w7"), QStringLiteral("释义7")}});

        QCOMPARE(int(BoxDrops::remove(data.path(), QStringLiteral("lib.txt"), words, 0, dialogs)), outcome);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(readBytes(library), original);
        QVERIFY(!QFile::exists(data.temp()));
    }

};

QTEST_GUILESS_MAIN(TestBoxStore)
#include "tst_boxstore.moc"

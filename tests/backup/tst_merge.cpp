#include "BackupFixtures.h"

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/Merge.h"
#include "cli/CommandLine.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"

#include <QTest>
#include <QTextStream>

using namespace BackupFixtures;

// Import merges: answers are a union of events, libraries and boxes merge by
// content, and two computers that studied apart end in step.
class TestMerge : public QObject
{
    Q_OBJECT

    // Runs a verb in `folder` as the program would; returns the exit code.
    static int run(const ProgramFolder &folder, const QStringList &arguments, QString *out = nullptr)
    {
        QString output, errors;
        QTextStream outStream(&output), errStream(&errors);
        cli::CommandContext context{folder.path(), folder.path(), outStream, errStream};
        const int code = cli::runCommandLine(arguments, context);
        if (out)
            *out = output + errors;
        return code;
    }

    // The sentences of test.txt's words in `folder`'s record.
    static void keepSentences(const ProgramFolder &folder, const QList<SourceSentence> &sentences)
    {
        RecordStore store;
        store.open(folder.path() + QStringLiteral("/lexvan.db"));
        store.recordSourceSentences(QStringLiteral("test.txt"), sentences);
    }

    // Every sentence as "file word sentence", sorted and joined by '|'.
    static QString sentenceRows(const ProgramFolder &folder)
    {
        return RecordFixtures::Inspector(folder.path() + QStringLiteral("/lexvan.db"))
            .value(QStringLiteral("SELECT group_concat(file || ' ' || word || ' ' || sentence, '|')"
                                  " FROM (SELECT * FROM sources ORDER BY file, word)"))
            .toString();
    }

private slots:
    void importTwiceAddsNothingTheSecondTime()
    {
        ProgramFolder a, b;
        fill(a, 30);
        fill(b, 12, QStringLiteral("b"), RecordFixtures::noon().addDays(1));
        // A word's sentence here stays; one it lacks comes in.
        keepSentences(
            a, {{QStringLiteral("word1"), QStringLiteral("A1")}, {QStringLiteral("word2"), QStringLiteral("A2")}});
        keepSentences(b, {{QStringLiteral("word1"), QStringLiteral("B1")}});
        const QString file = a.path() + QStringLiteral("/a.lxv");
        QCOMPARE(run(a, {QStringLiteral("--export"), file}), 0);

        QString out;
        QCOMPARE(run(b, {QStringLiteral("--import"), file}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("新增答题记录 30 条")), qPrintable(out));
        // The same library file (same bytes) is one library; box 0 gains
        // the word it lacked.
        QVERIFY2(out.contains(QStringLiteral("新增词库 0 个")), qPrintable(out));
        QCOMPARE(TestFiles::fromGbk(TestFiles::readBytes(b.dataPath(QStringLiteral("box0.txt")))),
                 QStringLiteral("cat-b\r\n猫\r\ncat-a\r\n猫\r\n"));
        const QMap<QString, QByteArray> once = folderBytes(b.path());

        QCOMPARE(run(b, {QStringLiteral("--import"), file}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("新增答题记录 0 条")), qPrintable(out));
        QCOMPARE(answerRows(b).size(), 42);
        QCOMPARE(folderBytes(b.path()).value(QStringLiteral("data/box0.txt")), once.value(QStringLiteral("data/box0.txt")));
        RecordFixtures::Inspector inspector(b.path() + QStringLiteral("/lexvan.db"));
        QCOMPARE(inspector.value(QStringLiteral("SELECT sum(answers) FROM words")).toInt(), 42);
        QCOMPARE(inspector.value(QStringLiteral("SELECT sum(answers) FROM days")).toInt(), 42);
        QCOMPARE(sentenceRows(b), QStringLiteral("test.txt word1 B1|test.txt word2 A2"));
    }

    void conflictingLibraryIsKeptUnderANewName()
    {
        ProgramFolder a, b;
        fill(a, 10);
        fill(b, 0, QStringLiteral("b"));
        keepSentences(a, {{QStringLiteral("word1"), QStringLiteral("A1")}});
        // Same name, same file name, other words.
        b.writeLibrary(QStringLiteral("test.txt"), {QStringLiteral("other"), QStringLiteral("别的")});
        const QByteArray ownLibrary = TestFiles::readBytes(b.dataPath(QStringLiteral("test.txt")));
        const QString file = a.path() + QStringLiteral("/a.lxv");
        QCOMPARE(run(a, {QStringLiteral("--export"), file}), 0);
        QString out;
        QCOMPARE(run(b, {QStringLiteral("--import"), file}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("改名保存的词库 1 个")), qPrintable(out));

        QCOMPARE(TestFiles::readBytes(b.dataPath(QStringLiteral("test.txt"))), ownLibrary);
        QCOMPARE(TestFiles::readBytes(b.dataPath(QStringLiteral("test(2).txt"))),
                 TestFiles::readBytes(a.dataPath(QStringLiteral("test.txt"))));
        CIniFile ini;
        ini.SpecifyIni(b.iniPath());
        QCOMPARE(LibraryRegistry::libraryFileName(ini, QStringLiteral("测试词库(2)")), QStringLiteral("test(2).txt"));
        // The imported answers follow their library to its new file.
        RecordFixtures::Inspector inspector(b.path() + QStringLiteral("/lexvan.db"));
        QCOMPARE(inspector.value(QStringLiteral("SELECT count(*) FROM answers WHERE file = 'test(2).txt'")).toInt(), 10);
        QCOMPARE(sentenceRows(b), QStringLiteral("test(2).txt word1 A1"));

        // Imported again: recognised by its content, nothing new.
        QCOMPARE(run(b, {QStringLiteral("--import"), file}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("改名保存的词库 0 个")) && out.contains(QStringLiteral("新增答题记录 0 条")),
                 qPrintable(out));
    }

    // The version before sentences were kept wrote record schema 2.
    void previousVersionArchiveImports()
    {
        ProgramFolder a, b;
        fill(a, 10);
        fill(b, 0);
        {
            RecordFixtures::Inspector old(a.path() + QStringLiteral("/lexvan.db"));
            QVERIFY(old.exec(QStringLiteral("DROP TABLE sources")) &&
                    old.exec(QStringLiteral("PRAGMA user_version = 2")));
        }
        const QString file = a.path() + QStringLiteral("/a.lxv");
        QCOMPARE(run(a, {QStringLiteral("--export"), file}), 0);
        QString out;
        QCOMPARE(run(b, {QStringLiteral("--import"), file}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("新增答题记录 10 条")), qPrintable(out));
    }

    void divergedHistoriesEndInStep()
    {
        ProgramFolder a, b;
        fill(a, 30);
        fill(b, 0);
        const QString fromA = a.path() + QStringLiteral("/a.lxv");
        const QString fromB = b.path() + QStringLiteral("/b.lxv");
        QCOMPARE(run(a, {QStringLiteral("--export"), fromA}), 0);
        QCOMPARE(run(b, {QStringLiteral("--import"), fromA}), 0);

        // The same day, apart: some words on both, some on one only.
        const QDateTime day = RecordFixtures::noon().addDays(3);
        study(a, day, {true, false, true, true}, 1);
        study(b, day.addSecs(7), {false, true, true}, 3);

        QCOMPARE(run(a, {QStringLiteral("--export"), fromA}), 0);
        QCOMPARE(run(b, {QStringLiteral("--export"), fromB}), 0);
        QCOMPARE(run(a, {QStringLiteral("--import"), fromB}), 0);
        QCOMPARE(run(b, {QStringLiteral("--import"), fromA}), 0);

        QCOMPARE(answerRows(a).size(), 37);
        QCOMPARE(answerRows(a), answerRows(b));
        const QDateTime later = day.addDays(30);
        const QStringList due = dueList(a, later);
        QVERIFY(!due.isEmpty());
        QCOMPARE(dueList(b, later), due);
    }
};

QTEST_GUILESS_MAIN(TestMerge)
#include "tst_merge.moc"

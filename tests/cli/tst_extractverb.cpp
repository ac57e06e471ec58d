#include "ExtractFixture.h"
#include "ProgramFolder.h"
#include "RecordFixtures.h"

#include "cli/CommandLine.h"
#include "record/RecordStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTextStream>

// lexivane --extract: the table it prints, what counts as known, exit codes.
class TestExtractVerb : public QObject
{
    Q_OBJECT

private slots:
    void extract_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errContains");
        const QString s0 = QStringLiteral("The children entered the ancient forest.");
        const QString s1 = QStringLiteral("Rivers glimmered.");
        const QString s2 = QStringLiteral("Then Rose smiled and whispered.");
        const QString s3 = QStringLiteral("The children's voices, the wild river and the ancient meadow.");
        auto row = [](const char *word, int count, const QString &level, const QString &meaning,
                      const QString &sentence) -> QString {
            return QStringList{QLatin1String(word), QString::number(count), level, meaning, sentence}.join(u'\t') +
                   u'\n';
        };
        // ancient is known from the record; whisper is in it but not yet for long.
        QTest::newRow("known 中考") << QStringList{QStringLiteral("movie.srt"), QStringLiteral("--known"),
                                                   QStringLiteral("中考")}
                                    << 0
                                    << row("enter", 1, QStringLiteral("高考"), QStringLiteral("vt. 进入"), s0) +
                                           row("forest", 1, QStringLiteral("高考"), QStringLiteral("n. 森林"), s0) +
                                           row("glimmer", 1, QStringLiteral("GRE"), QStringLiteral("vi. 发微光"), s1) +
                                           row("whisper", 1, QStringLiteral("六级"), QStringLiteral("v. 低语"), s2) +
                                           row("wild", 1, QStringLiteral("超纲"), QStringLiteral("a. 野生的"), s3) +
                                           row("meadow", 1, QStringLiteral("托福"), QStringLiteral("n. 草地"), s3)
                                    << QString();
        QTest::newRow("limit, known list")
            << QStringList{QStringLiteral("movie.srt"), QStringLiteral("--limit"), QStringLiteral("2")} << 0
            << row("child", 2, QStringLiteral("中考"), QStringLiteral("n. 孩子"), s0) +
                   row("river", 2, QStringLiteral("中考"), QStringLiteral("n. 河，江"), s1)
            << QString();
        QTest::newRow("everything known")
            << QStringList{QStringLiteral("easy.txt"), QStringLiteral("--known"), QStringLiteral("高考")} << 1
            << QString() << "没有生词";
        QTest::newRow("empty") << QStringList{QStringLiteral("empty.srt")} << 1 << QString() << "文件是空的";
        QTest::newRow("binary") << QStringList{QStringLiteral("film.mkv")} << 1 << QString() << "不是文本文件";
        QTest::newRow("chinese") << QStringList{QStringLiteral("zh.txt")} << 1 << QString() << "没有找到英文单词";
        QTest::newRow("other language") << QStringList{QStringLiteral("fr.txt")} << 1 << QString() << "不像英文";
        QTest::newRow("missing") << QStringList{QStringLiteral("nope.srt")} << 1 << QString() << "无法读取";
        QTest::newRow("unknown level") << QStringList{QStringLiteral("movie.srt"), QStringLiteral("--known"),
                                                      QStringLiteral("初中")}
                                       << 2 << QString() << "未知的级别";
        QTest::newRow("bad limit") << QStringList{QStringLiteral("movie.srt"), QStringLiteral("--limit"),
                                                  QStringLiteral("0")}
                                   << 2 << QString() << "用法";
        QTest::newRow("no file") << QStringList{QStringLiteral("--known"), QStringLiteral("GRE")} << 2 << QString()
                                 << "用法";
    }

    void extract()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, errContains);
        ProgramFolder folder;
        ExtractFixture::write(folder.path());
        TestFiles::writeBytes(folder.path() + QStringLiteral("/movie.srt"), ExtractFixture::subtitle());
        TestFiles::writeBytes(folder.path() + QStringLiteral("/easy.txt"),
                              "The river and the forest. The children study.");
        TestFiles::writeBytes(folder.path() + QStringLiteral("/empty.srt"), "1\n00:00:01,000 --> 00:00:02,000\n\n");
        TestFiles::writeBytes(folder.path() + QStringLiteral("/film.mkv"), TestFiles::randomBytes(4096, 7));
        TestFiles::writeBytes(folder.path() + QStringLiteral("/zh.txt"), QStringLiteral("我们今天学习。").toUtf8());
        TestFiles::writeBytes(folder.path() + QStringLiteral("/fr.txt"),
                              "Nous avons mange une pomme dans le jardin avec des amis, puis nous sommes partis.");
        TestFiles::writeBytes(folder.dataPath(QStringLiteral("known.txt")), "the\nand\nvoices\n");
        {
            RecordStore store;
            QVERIFY(store.open(folder.path() + QStringLiteral("/lexvan.db")).ok());
            for (const char *word : {"Ancient", "whisper"})
                QVERIFY(store.recordAnswer(RecordFixtures::answer(RecordFixtures::noon(), QLatin1String(word), true)) ==
                        RecordStore::WriteResult::Written);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
            db.setDatabaseName(folder.path() + QStringLiteral("/lexvan.db"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(
                QStringLiteral("UPDATE memory SET stability = CASE word WHEN 'Ancient' THEN 21 ELSE 20.9 END")));
            QCOMPARE(query.numRowsAffected(), 2);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));

        QString printed;
        QString complained;
        QTextStream outStream(&printed);
        QTextStream errStream(&complained);
        cli::CommandContext context{folder.path(), folder.path(), outStream, errStream};
        QCOMPARE(cli::runCommandLine(QStringList{QStringLiteral("--extract")} + arguments, context), code);
        QCOMPARE(printed, out);
        QVERIFY2(complained.contains(errContains), qPrintable(complained));
    }
};

QTEST_GUILESS_MAIN(TestExtractVerb)
#include "tst_extractverb.moc"

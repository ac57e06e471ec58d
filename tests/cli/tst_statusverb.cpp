// lexivane --status: the day's numbers from the plan and the record, read
// without creating, changing or waiting for the record.
#include "ProgramFolder.h"
#include "RecordFixtures.h"

#include "cli/CommandLine.h"
#include "record/RecordStore.h"
#include "record/Schedule.h"

#include <QFile>
#include <QTest>
#include <QTextStream>

class TestStatusVerb : public QObject
{
    Q_OBJECT

private slots:
    void statusLine();
};

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run status(const ProgramFolder &folder, const QStringList &options)
{
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    cli::CommandContext context{folder.path(), folder.path(), out, err};
    run.code = cli::runCommandLine(QStringList{QStringLiteral("--status")} + options, context);
    return run;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestStatusVerb::statusLine()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = Schedule::studyDay(now);
    ProgramFolder folder;
    // Sixteen days to the exam, at most 5 new words a day of 30.
    folder.writeIni(ProgramFolder::oneLibraryIni() +
                    QStringList{QStringLiteral("[ExamPlan]"), QStringLiteral("Library=测试词库"),
                                QStringLiteral("LibraryFile=test.txt"),
                                QStringLiteral("ExamDate=") + today.addDays(16).toString(Qt::ISODate),
                                QStringLiteral("NewPerDay=5")});
    folder.writeNumberedLibrary(QStringLiteral("test.txt"), 30);
    const QString db = folder.path() + QStringLiteral("/lexvan.db");

    // No record yet: the plan's new words only, and no record is made.
    Run run = status(folder, {QStringLiteral("--json")});
    QCOMPARE(run.code, int(cli::Success));
    QCOMPARE(run.out, QStringLiteral("{\"due\": 0, \"new\": 5, \"exam_days\": 16, \"streak\": 0}\n"));
    QVERIFY(!QFile::exists(db));

    {
        RecordStore store;
        QVERIFY(store.open(db).ok());
        // Two words long due; the two days before today studied. Sixteen
        // days out the plan already aims above 0.9, which brings the word of
        // two days ago forward too.
        for (const char *word : {"word1", "word3"})
            store.recordAnswer(RecordFixtures::answer(now.addDays(-60), QString::fromLatin1(word), true, 2000, 0,
                                                      QStringLiteral("test.txt")));
        store.recordAnswer(RecordFixtures::answer(now.addDays(-2), QStringLiteral("word10"), true, 2000, 0,
                                                  QStringLiteral("test.txt")));
        store.recordAnswer(RecordFixtures::answer(now.addDays(-1), QStringLiteral("word11"), true, 2000, 0,
                                                  QStringLiteral("test.txt")));
    }
    const QByteArray before = bytesOf(db);
    // Another copy is writing this moment: the reader neither waits nor
    // disturbs it.
    RecordFixtures::Inspector writer(db);
    QVERIFY(writer.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(writer.exec(QStringLiteral("INSERT INTO box_events (at, kind, box, library, file, word, meaning)"
                                       " VALUES (0, 1, 0, '', '', 'x', '')")));
    run = status(folder, {QStringLiteral("--json")});
    QCOMPARE(run.out, QStringLiteral("{\"due\": 3, \"new\": 5, \"exam_days\": 16, \"streak\": 2}\n"));
    QVERIFY(run.err.isEmpty());
    run = status(folder, {});
    QCOMPARE(run.out, QStringLiteral("复习 3  新词 5  距考试 16 天  连续 2 天\n"));
    QVERIFY(writer.exec(QStringLiteral("COMMIT")));
    QCOMPARE(writer.value(QStringLiteral("SELECT count(*) FROM box_events")).toInt(), 1);
    QCOMPARE(bytesOf(db), before);

    // Without a plan there is no exam; a stray option is refused.
    folder.writeIni(ProgramFolder::oneLibraryIni());
    QCOMPARE(status(folder, {QStringLiteral("--json")}).out,
             QStringLiteral("{\"due\": 2, \"new\": 0, \"exam_days\": null, \"streak\": 2}\n"));
    run = status(folder, {QStringLiteral("--yaml")});
    QCOMPARE(run.code, int(cli::UsageError));
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestStatusVerb)
#include "tst_statusverb.moc"

// The exam plan's pacing of new words, its retention by date and the daily
// cap, and its settings in lexvan.ini.
#include "record/ExamPlan.h"
#include "settings/CIniFile.h"

#include <QTemporaryDir>
#include <QTest>

class TestExamPlan : public QObject
{
    Q_OBJECT

private slots:
    void newWordsPerDay_data();
    void newWordsPerDay();
    void retentionRisesBeforeTheExam();
    void capHoldsTheWholeDay();
    void settingsRoundTrip();
};

namespace {

ExamPlan planFor(const QDate &exam, int newPerDay = 0, int minutes = 0)
{
    ExamPlan plan;
    plan.library = QStringLiteral("四级");
    plan.libraryFile = QStringLiteral("exam_cet4.txt");
    plan.examDate = exam;
    plan.newPerDay = newPerDay;
    plan.minutesPerDay = minutes;
    return plan;
}

const QDate Exam(2027, 6, 12);

} // namespace

void TestExamPlan::newWordsPerDay_data()
{
    QTest::addColumn<int>("daysLeft");
    QTest::addColumn<int>("unmet");
    QTest::addColumn<int>("newPerDay");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("expected");
    // 60 days left: 47 days (today and the last day for new words included).
    QTest::newRow("even over the days left") << 60 << 3849 << 0 << 0 << 82;
    QTest::newRow("rounded up, never short") << 60 << 48 << 0 << 0 << 2;
    QTest::newRow("limited per day") << 60 << 3849 << 50 << 0 << 50;
    QTest::newRow("limited by minutes") << 60 << 3849 << 0 << 10 << 30;
    QTest::newRow("last day for new words") << 14 << 30 << 0 << 0 << 30;
    QTest::newRow("late: all that is left") << 5 << 30 << 0 << 0 << 30;
    QTest::newRow("late, still limited") << 5 << 30 << 20 << 0 << 20;
    QTest::newRow("nothing left") << 60 << 0 << 0 << 0 << 0;
    QTest::newRow("after the exam") << -1 << 30 << 0 << 0 << 0;
}

void TestExamPlan::newWordsPerDay()
{
    QFETCH(int, daysLeft);
    QFETCH(int, unmet);
    QFETCH(int, newPerDay);
    QFETCH(int, minutes);
    QFETCH(int, expected);
    QCOMPARE(planFor(Exam, newPerDay, minutes).newWordsOn(Exam.addDays(-daysLeft), unmet), expected);
    QCOMPARE(ExamPlan().newWordsOn(Exam.addDays(-daysLeft), unmet), 0);
}

void TestExamPlan::retentionRisesBeforeTheExam()
{
    const ExamPlan plan = planFor(Exam);
    const struct
    {
        int daysLeft;
        double retention;
    } table[] = {{60, 0.9}, {28, 0.9}, {21, 0.925}, {15, 0.9464286}, {14, 0.95}, {0, 0.95}, {-1, 0.9}};
    for (const auto &row : table)
        QVERIFY2(qAbs(plan.retentionOn(Exam.addDays(-row.daysLeft)) - row.retention) < 1e-6,
                 qPrintable(QString::number(row.daysLeft)));
    // Without a plan the usual retention holds every day.
    QCOMPARE(ExamPlan().retentionOn(Exam), Fsrs::TargetRetention);
}

void TestExamPlan::capHoldsTheWholeDay()
{
    QCOMPARE(reviewBudget(0, 80, 500), std::numeric_limits<int>::max());
    QCOMPARE(reviewBudget(300, 80, 100), 120);
    QCOMPARE(reviewBudget(300, 80, 250), 0);

    // A backlog of 100 due words under a cap of 40 is served over three
    // days, the least recalled first, and nothing is lost.
    DayPlayer player(ExamPlan(), 40, Exam);
    for (int i = 0; i < 100; ++i)
        player.addWord({1.0 + i, 5.0}, -200 + i);
    const auto remembered = [](double) { return true; };
    QList<int> reviews;
    for (int day = 0; day < 3; ++day) {
        const DayPlayer::Day played = player.playDay(remembered, 1.0);
        reviews << played.reviews;
        QCOMPARE(played.dueLeft, qMax(0, 100 - 40 * (day + 1)));
    }
    QCOMPARE(reviews, (QList<int>{40, 40, 20}));
    // The first day took the words longest overdue for their stability.
    QCOMPARE(player.words().first().lastDay, 0);
    QCOMPARE(player.words().last().lastDay, 2);
}

void TestExamPlan::settingsRoundTrip()
{
    QTemporaryDir dir;
    CIniFile ini;
    ini.SpecifyIni(dir.filePath(QStringLiteral("lexvan.ini")));
    QVERIFY(!ScheduleSettings::read(ini).plan.isActive());
    ScheduleSettings settings;
    settings.plan = planFor(Exam, 40, 0);
    settings.dailyCap = 300;
    QVERIFY(settings.write(ini));
    const ScheduleSettings back = ScheduleSettings::read(ini);
    QCOMPARE(back.plan.library, settings.plan.library);
    QCOMPARE(back.plan.libraryFile, settings.plan.libraryFile);
    QCOMPARE(back.plan.examDate, Exam);
    QCOMPARE(back.plan.newPerDay, 40);
    QCOMPARE(back.dailyCap, 300);
    QVERIFY(ScheduleSettings::clearPlan(ini, 250));
    QVERIFY(!ScheduleSettings::read(ini).plan.isActive());
    QCOMPARE(ScheduleSettings::read(ini).dailyCap, 250);
}

QTEST_APPLESS_MAIN(TestExamPlan)
#include "tst_examplan.moc"

#pragma once

#include "record/Fsrs.h"
#include "record/Schedule.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

class CIniFile;

// A plan towards an exam: the words of one library are introduced a few a
// day, in library order, so that every one has been met two weeks before the
// exam, and the last two weeks are reviewed to a higher retention. Without a
// plan the schedule is the usual one.
struct ExamPlan
{
    QString library;     // the name in the library lists
    QString libraryFile; // the file in the data folder
    QDate examDate;
    // At most this many new words a day; or, when zero, as many as fit in
    // `minutesPerDay` at NewWordSeconds each.
    int newPerDay = 0;
    int minutesPerDay = 0;

    // Every word is met by then.
    static constexpr int LastNewDaysBefore = 14;
    // The last two weeks are reviewed to this retention.
    static constexpr int FinalDays = 14;
    static constexpr double FinalRetention = 0.95;
    // ...reached by steps over the days before them.
    static constexpr int RampDays = 14;
    // A new word costs its first try, its re-tests and reading the answer:
    // about this long.
    static constexpr int NewWordSeconds = 20;

    bool isActive() const { return !libraryFile.isEmpty() && examDate.isValid(); }
    int maxNewPerDay() const;
    // The retention reviews aim at on `day`.
    double retentionOn(const QDate &day) const;
    // How many new words to introduce on `day` when `unmet` words of the
    // library were still unmet as the day began: evenly over the days left
    // until the last day for new words, never more than maxNewPerDay(). Past
    // that day whatever is left comes as fast as allowed.
    int newWordsOn(const QDate &day, int unmet) const;
    int daysLeft(const QDate &today) const { return int(today.daysTo(examDate)); }
};

// The settings of lexvan.ini's [ExamPlan] section: the plan and the cap on a
// day's 今日复习 (reviews and new words together, 0 for none).
struct ScheduleSettings
{
    ExamPlan plan;
    int dailyCap = 0;

    static ScheduleSettings read(CIniFile &ini);
    bool write(CIniFile &ini) const;
    // Removes the plan and keeps `dailyCap`.
    static bool clearPlan(CIniFile &ini, int dailyCap);
};

// How many reviews to offer on a day, given the cap, the new words planned
// for it and the reviews already done: the cap holds the whole day, new words
// first, since the exam date will not wait for them.
int reviewBudget(int dailyCap, int newWordsToday, int reviewsDone);

// A learner's days played forward through the schedule, in whole study days
// (day 0 is the first). The forecast uses it with every review remembered;
// the simulator draws each recall from the model's own retrievability.
class DayPlayer
{
public:
    // Chance of recall (the model's R) in, whether it was recalled out.
    using Recall = std::function<bool(double retrievability)>;

    struct Word
    {
        Fsrs::MemoryState memory;
        int lastDay = 0; // may be before day 0
    };

    struct Day
    {
        QDate date;
        int reviews = 0;
        int newWords = 0;
        int dueLeft = 0; // due but over the cap, carried to the next day
    };

    DayPlayer(const ExamPlan &plan, int dailyCap, const QDate &firstDay);

    // A word met before day 0.
    void addWord(const Fsrs::MemoryState &memory, int lastDay);
    // Words of the plan's library not yet met, introduced in order.
    void setUnmet(int count) { m_unmet = count; }
    // What day 0 has seen already (the forecast starts part-way through
    // today): it counts against that day's cap and share of new words.
    void setDoneOnFirstDay(int reviews, int newWords)
    {
        m_doneReviews = reviews;
        m_doneNew = newWords;
    }

    // Plays one day: due reviews (the least likely recalled first, up to
    // the budget), then the plan's new words, whose first try is recalled
    // with `newRecall`.
    Day playDay(const Recall &recall, double newRecall);

    const QList<Word> &words() const { return m_words; }

private:
    ExamPlan m_plan;
    int m_cap = 0;
    QDate m_first;
    int m_day = 0;
    int m_unmet = 0;
    int m_doneReviews = 0;
    int m_doneNew = 0;
    QList<Word> m_words;
};

// The 30-day forecast: due reviews and new words per day, every review
// assumed recalled.
QList<DayPlayer::Day> forecastDays(const QList<Schedule::WordState> &states, const ExamPlan &plan, int dailyCap,
                                   int unmet, const QDate &today, int reviewsDone, int newDone, int days = 30);

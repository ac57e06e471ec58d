#pragma once

#include <QDate>
#include <QList>
#include <QString>

// What the progress window shows, worked out from the record without any
// widget, so the numbers can be checked on their own.

// A library as the caller knows it: its display name, its file and how many
// words the file holds now.
struct LibraryInfo
{
    QString name;
    QString file;
    int wordCount = 0;
};

struct LibraryProgress
{
    QString name;
    QString file;
    int groupsCompleted = 0; // groups whose every word has been answered right
    int groupsTotal = 0;
    int wordsMet = 0; // words answered at least once
    int wordsTotal = 0;
};

struct WeekAccuracy
{
    QDate monday;
    int firstTries = 0;
    int firstTriesRight = 0;
    // Share of first tries that were right, from 0 to 1; negative when the
    // week has no first try (a gap in the line, not a zero).
    double accuracy() const { return firstTries > 0 ? double(firstTriesRight) / firstTries : -1.0; }
};

struct HardWord
{
    QString library;
    QString file;
    QString word;
    QString meaning;
    int wrong = 0;
    int answers = 0;
    qint64 averageMilliseconds = 0;
    // The sentence of the text the word was found in; empty for a word of a
    // library not made from a text.
    QString sentence;
};

// One day of the forecast: reviews falling due and the plan's new words.
struct ForecastDay
{
    QDate date;
    int reviews = 0;
    int newWords = 0;
};

struct ProgressData
{
    static constexpr int Days = 365;
    static constexpr int Weeks = 52;
    static constexpr int HardestCount = 50;

    QDate today;
    // Words answered on each of the last `Days` days, the oldest first and
    // today last.
    QList<int> dailyAnswers;
    // The last `Weeks` weeks (Monday to Sunday), the oldest first, the week
    // of today last.
    QList<WeekAccuracy> weeks;
    // In the order the caller listed the libraries.
    QList<LibraryProgress> libraries;
    // Most often wrong first, then the slowest on average.
    QList<HardWord> hardest;
    qint64 totalAnswers = 0;
    // The next 30 days from today, empty when nobody asked for one; and the
    // days left to the exam of the plan, negative without a plan.
    QList<ForecastDay> forecast;
    int examDaysLeft = -1;

    QDate firstDay() const { return today.addDays(1 - Days); }
};

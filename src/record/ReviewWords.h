#pragma once

#include "record/ExamPlan.h"
#include "record/Fsrs.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class RecordStore;

// A word of 今日复习, as the test window asks it and the record files it.
struct ReviewWord
{
    QString library;
    QString libraryFile;
    int group = 0; // the group of the library file that holds it now
    QString word;
    QString meaning; // as the library file has it now
};

// Up to `count` words due at `now`, the least likely recalled first, read against
// their library files in `dataDir`: a word its file no longer holds (deleted,
// or the file gone) is passed over. `libraryOfFile` gives the name the
// library has in the lists today; without one the recorded name is kept.
// Due for `retention` (see RecordStore::dueWords).
QList<ReviewWord> pickReviewWords(const RecordStore &store, const QString &dataDir, const QDateTime &now, int count,
                                  const std::function<QString(const QString &file)> &libraryOfFile = {},
                                  double retention = Fsrs::TargetRetention);

// What 今日复习 holds for the rest of the study day of `now`.
struct TodayPlan
{
    int reviews = 0;     // due reviews still to do, within the cap
    int newWords = 0;    // the plan's new words still to introduce
    int reviewsDone = 0; // today, so far
    int newDone = 0;
    double retention = Fsrs::TargetRetention;
    QList<ReviewWord> unmet; // the plan's words not met yet, in order
    int total() const { return reviews + newWords; }
};
TodayPlan planToday(const RecordStore &store, const QString &dataDir, const ScheduleSettings &settings,
                    const QDateTime &now);

// The next group of 今日复习: due reviews first, then the plan's new words.
QList<ReviewWord> pickTodayWords(const RecordStore &store, const QString &dataDir, const ScheduleSettings &settings,
                                 const QDateTime &now, int count,
                                 const std::function<QString(const QString &file)> &libraryOfFile = {});

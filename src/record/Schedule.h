#pragma once

#include "record/Fsrs.h"

#include <QDate>
#include <QDateTime>
#include <QtGlobal>

#include <deque>
#include <optional>

// How answers move a word's schedule. One function decides it for both live
// answering and a rebuild from the stored answers, so the two can never
// disagree: feed the answers of all words in the order they were given and
// the states come out the same as when they were recorded one by one.
namespace Schedule {

// A study day runs from 4:00 to 4:00 local time, so a session past midnight
// still belongs to the evening it started in.
inline constexpr int DayStartHour = 4;
inline constexpr qint64 MillisecondsPerDay = 86400LL * 1000;

// The local date of the study day `ms` (since 1970, UTC) falls in.
QDate studyDay(qint64 ms);
QDate studyDay(const QDateTime &time);
// When the study day `day` begins.
QDateTime studyDayStart(const QDate &day);

// With TZ unset, the C library looks at /etc/localtime again on every
// conversion to local time, to notice a change of the system's zone; a
// replay of a long history converts each answer's time, and that look was
// most of an import's time. Called first thing in main(), this names the
// system's zone file in TZ (when TZ is unset and the file exists), so it is
// read once: the zone is the one the program started in.
void readTimeZoneOnce();

// Where a word stands: its memory, when it was last counted and when it is
// due at the usual retention.
struct WordState
{
    Fsrs::MemoryState memory;
    qint64 lastReview = 0; // ms since 1970, UTC: the last answer that counted
    qint64 due = 0;
    int reviews = 0; // answers that counted
    int lapses = 0;
};

struct Answer
{
    qint64 at = 0; // ms since 1970, UTC
    int pass = 0;  // 0 = first try
    bool right = false;
    Fsrs::AnswerTiming timing;
};

// Replays answers in the order they were given, keeping the user's timing
// medians as it goes.
class Replayer
{
public:
    static constexpr int MedianWindow = 999;
    static constexpr int MedianMinimum = 10;

    // The word's state after `answer`, or nothing when the answer only goes
    // into the record: a re-test pass (it comes straight after the right
    // answer was shown) or a word already answered this study day (repeating
    // a group must not push a word weeks out).
    std::optional<WordState> apply(const std::optional<WordState> &previous, const Answer &answer);

    Fsrs::TimingMedians medians() const;
    // Takes in the timing of a right first try, as apply() does.
    void noteTiming(const Fsrs::AnswerTiming &timing);
    void clear();

private:
    std::deque<qint64> m_reaction;
    std::deque<double> m_perCharacter;
};

// Whether `answer` moves the state of a word last counted at `previous`.
bool counts(const std::optional<WordState> &previous, const Answer &answer);

} // namespace Schedule

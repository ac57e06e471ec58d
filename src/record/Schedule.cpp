#include "record/Schedule.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Schedule {

namespace {

template <typename T> std::optional<double> medianOf(const std::deque<T> &window)
{
    if (int(window.size()) < Replayer::MedianMinimum)
        return std::nullopt;
    std::vector<double> values(window.begin(), window.end());
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(middle), values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double lower = *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(middle));
    return (lower + values[middle]) / 2;
}

template <typename T> void push(std::deque<T> &window, T value)
{
    window.push_back(value);
    if (int(window.size()) > Replayer::MedianWindow)
        window.pop_front();
}

} // namespace

QDate studyDay(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).addSecs(-3600 * DayStartHour).date();
}

QDate studyDay(const QDateTime &time)
{
    return studyDay(time.toMSecsSinceEpoch());
}

void readTimeZoneOnce()
{
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
}

QDateTime studyDayStart(const QDate &day)
{
    return QDateTime(day, QTime(DayStartHour, 0));
}

bool counts(const std::optional<WordState> &previous, const Answer &answer)
{
    if (answer.pass != 0)
        return false;
    return !previous || studyDay(answer.at) != studyDay(previous->lastReview);
}

std::optional<WordState> Replayer::apply(const std::optional<WordState> &previous, const Answer &answer)
{
    const bool counted = counts(previous, answer);
    // Graded against the medians before this answer joins them.
    const Fsrs::Rating rating = Fsrs::rate(answer.right, answer.timing, medians());
    if (answer.pass == 0 && answer.right)
        noteTiming(answer.timing);
    if (!counted)
        return std::nullopt;

    WordState next;
    if (previous) {
        // Whole study days, as the model was fitted on: an answer at 23:00
        // and one the next evening are a day apart, whatever the hours.
        const double elapsed = double(studyDay(previous->lastReview).daysTo(studyDay(answer.at)));
        next.memory = Fsrs::nextState(previous->memory, elapsed, rating);
        next.reviews = previous->reviews + 1;
        next.lapses = previous->lapses;
    } else {
        next.memory = Fsrs::firstReview(rating);
        next.reviews = 1;
    }
    if (rating == Fsrs::Rating::Again)
        ++next.lapses;
    next.lastReview = answer.at;
    next.due = answer.at + qint64(std::llround(Fsrs::intervalDays(next.memory.stability) * MillisecondsPerDay));
    return next;
}

Fsrs::TimingMedians Replayer::medians() const
{
    return {medianOf(m_reaction), medianOf(m_perCharacter)};
}

void Replayer::noteTiming(const Fsrs::AnswerTiming &timing)
{
    // Answers from before the timing was split, and pauses, would only
    // blur the user's usual pace.
    if (!timing.hasDetail() || timing.totalMs() > Fsrs::PauseCapMs)
        return;
    push(m_reaction, timing.reactionMs);
    push(m_perCharacter, timing.msPerCharacter());
}

void Replayer::clear()
{
    m_reaction.clear();
    m_perCharacter.clear();
}

} // namespace Schedule

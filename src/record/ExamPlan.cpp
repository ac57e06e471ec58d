#include "record/ExamPlan.h"

#include "settings/CIniFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

const QString Section = QStringLiteral("ExamPlan");
const QString KeyLibrary = QStringLiteral("Library");
const QString KeyLibraryFile = QStringLiteral("LibraryFile");
const QString KeyExamDate = QStringLiteral("ExamDate");
const QString KeyNewPerDay = QStringLiteral("NewPerDay");
const QString KeyMinutesPerDay = QStringLiteral("MinutesPerDay");
const QString KeyDailyCap = QStringLiteral("DailyCap");
constexpr long ValueSize = 512;

int readCount(CIniFile &ini, const QString &key)
{
    bool ok = false;
    const int value = ini.ReadString(Section, key, ValueSize).trimmed().toInt(&ok);
    // A hand-edited value out of range means "not set", never a negative
    // number of words.
    return ok ? std::clamp(value, 0, 100000) : 0;
}

} // namespace

int ExamPlan::maxNewPerDay() const
{
    if (newPerDay > 0)
        return newPerDay;
    if (minutesPerDay > 0)
        return std::max(1, minutesPerDay * 60 / NewWordSeconds);
    return std::numeric_limits<int>::max();
}

double ExamPlan::retentionOn(const QDate &day) const
{
    if (!isActive())
        return Fsrs::TargetRetention;
    const qint64 left = day.daysTo(examDate);
    if (left < 0 || left > FinalDays + RampDays)
        return Fsrs::TargetRetention;
    if (left <= FinalDays)
        return FinalRetention;
    // Raised a step a day in the weeks before, so the words the higher
    // retention brings forward come over those weeks, not all on one day.
    const double step = double(FinalDays + RampDays - left) / RampDays;
    return Fsrs::TargetRetention + step * (FinalRetention - Fsrs::TargetRetention);
}

int ExamPlan::newWordsOn(const QDate &day, int unmet) const
{
    if (!isActive() || unmet <= 0 || day > examDate)
        return 0;
    // Days from `day` to the last day for new words, both counted.
    const qint64 days = day.daysTo(examDate) - LastNewDaysBefore + 1;
    const qint64 even = days > 0 ? (unmet + days - 1) / days : unmet;
    return int(std::min<qint64>({even, unmet, maxNewPerDay()}));
}

ScheduleSettings ScheduleSettings::read(CIniFile &ini)
{
    ScheduleSettings settings;
    settings.plan.library = ini.ReadString(Section, KeyLibrary, ValueSize).trimmed();
    settings.plan.libraryFile = ini.ReadString(Section, KeyLibraryFile, ValueSize).trimmed();
    settings.plan.examDate = QDate::fromString(ini.ReadString(Section, KeyExamDate, ValueSize).trimmed(), Qt::ISODate);
    settings.plan.newPerDay = readCount(ini, KeyNewPerDay);
    settings.plan.minutesPerDay = readCount(ini, KeyMinutesPerDay);
    settings.dailyCap = readCount(ini, KeyDailyCap);
    return settings;
}

bool ScheduleSettings::write(CIniFile &ini) const
{
    return ini.WriteChanges({
        {Section, KeyLibrary, plan.library},
        {Section, KeyLibraryFile, plan.libraryFile},
        {Section, KeyExamDate, plan.examDate.toString(Qt::ISODate)},
        {Section, KeyNewPerDay, QString::number(plan.newPerDay)},
        {Section, KeyMinutesPerDay, QString::number(plan.minutesPerDay)},
        {Section, KeyDailyCap, QString::number(dailyCap)},
    });
}

bool ScheduleSettings::clearPlan(CIniFile &ini, int dailyCap)
{
    return ini.WriteChanges({
        {Section, KeyDailyCap, QString::number(dailyCap)},
        {Section, KeyLibrary, std::nullopt},
        {Section, KeyLibraryFile, std::nullopt},
        {Section, KeyExamDate, std::nullopt},
        {Section, KeyNewPerDay, std::nullopt},
        {Section, KeyMinutesPerDay, std::nullopt},
    });
}

int reviewBudget(int dailyCap, int newWordsToday, int reviewsDone)
{
    if (dailyCap <= 0)
        return std::numeric_limits<int>::max();
    return std::max(0, dailyCap - newWordsToday - reviewsDone);
}

DayPlayer::DayPlayer(const ExamPlan &plan, int dailyCap, const QDate &firstDay)
    : m_plan(plan)
    , m_cap(dailyCap)
    , m_first(firstDay)
{
}

void DayPlayer::addWord(const Fsrs::MemoryState &memory, int lastDay)
{
    m_words.append({memory, lastDay});
}

DayPlayer::Day DayPlayer::playDay(const Recall &recall, double newRecall)
{
    Day result;
    result.date = m_first.addDays(m_day);
    const double retention = m_plan.retentionOn(result.date);

    // Due: a whole day at least since the last counted answer, and the
    // interval for today's retention reached (to the nearest day, as answers
    // fall at any hour).
    struct Due
    {
        int index;
        double overdue; // elapsed over stability: lower recall the larger
    };
    std::vector<Due> due;
    for (int i = 0; i < m_words.size(); ++i) {
        const Word &word = m_words[i];
        const int elapsed = m_day - word.lastDay;
        const long interval = std::max(1L, std::lround(Fsrs::intervalDays(word.memory.stability, retention)));
        if (elapsed >= interval)
            due.push_back({i, elapsed / word.memory.stability});
    }
    std::stable_sort(due.begin(), due.end(), [](const Due &a, const Due &b) { return a.overdue > b.overdue; });

    const bool first = m_day == 0;
    const int quota = m_plan.newWordsOn(result.date, m_unmet + (first ? m_doneNew : 0));
    const int newWords = std::max(0, quota - (first ? m_doneNew : 0));
    const int budget = reviewBudget(m_cap, quota, first ? m_doneReviews : 0);
    const int taken = int(std::min<size_t>(due.size(), size_t(budget)));
    for (int k = 0; k < taken; ++k) {
        Word &word = m_words[due[size_t(k)].index];
        const int elapsed = m_day - word.lastDay;
        const bool recalled = recall(Fsrs::retrievability(elapsed, word.memory.stability));
        word.memory = Fsrs::nextState(word.memory, elapsed, recalled ? Fsrs::Rating::Good : Fsrs::Rating::Again);
        word.lastDay = m_day;
    }
    for (int k = 0; k < newWords; ++k) {
        const bool recalled = recall(newRecall);
        m_words.append({Fsrs::firstReview(recalled ? Fsrs::Rating::Good : Fsrs::Rating::Again), m_day});
    }
    m_unmet -= newWords;
    result.reviews = taken;
    result.newWords = newWords;
    result.dueLeft = int(due.size()) - taken;
    ++m_day;
    return result;
}

QList<DayPlayer::Day> forecastDays(const QList<Schedule::WordState> &states, const ExamPlan &plan, int dailyCap,
                                   int unmet, const QDate &today, int reviewsDone, int newDone, int days)
{
    DayPlayer player(plan, dailyCap, today);
    player.setDoneOnFirstDay(reviewsDone, newDone);
    for (const Schedule::WordState &state : states) {
        if (state.memory.stability > 0 && std::isfinite(state.memory.stability))
            player.addWord(state.memory, int(today.daysTo(Schedule::studyDay(state.lastReview))));
    }
    player.setUnmet(unmet);
    QList<DayPlayer::Day> forecast;
    const auto remembered = [](double) { return true; };
    for (int day = 0; day < days; ++day)
        forecast.append(player.playDay(remembered, 1.0));
    return forecast;
}

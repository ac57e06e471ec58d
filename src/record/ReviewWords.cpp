#include "record/ReviewWords.h"

#include "library/WordFile.h"
#include "library/WordTable.h"
#include "record/RecordStore.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

struct Placed
{
    QString meaning;
    int group = 0;
};

// Every word of a library file with the group it falls in; empty when the
// file cannot be read. The first record of a word wins, as it is the one
// the test meets first.
QHash<QString, Placed> placesIn(const QString &path)
{
    QHash<QString, Placed> places;
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes))
        return places;
    WordFileReader reader(std::move(bytes));
    QString word;
    QString meaning;
    for (int index = 0; reader.readRecord(word, meaning); ++index) {
        // A word without its meaning is not one the test can ask.
        if (meaning.isEmpty())
            break;
        if (!places.contains(word))
            places.insert(word, Placed{meaning, index / GroupSize + 1});
    }
    return places;
}

} // namespace

QList<ReviewWord> pickReviewWords(const RecordStore &store, const QString &dataDir, const QDateTime &now, int count,
                                  const std::function<QString(const QString &file)> &libraryOfFile, double retention)
{
    QList<ReviewWord> picked;
    if (count <= 0)
        return picked;
    QHash<QString, QHash<QString, Placed>> files;
    // Words passed over make room for later ones: ask for more until enough
    // are found or no more are due.
    for (int limit = count;; limit *= 2) {
        const QList<DueWord> due = store.dueWords(now, limit, retention);
        picked.clear();
        for (const DueWord &candidate : due) {
            auto file = files.find(candidate.libraryFile);
            if (file == files.end())
                file = files.insert(candidate.libraryFile, placesIn(dataDir + QLatin1Char('/') + candidate.libraryFile));
            const auto place = file->constFind(candidate.word);
            if (place == file->constEnd())
                continue;
            QString library = libraryOfFile ? libraryOfFile(candidate.libraryFile) : QString();
            if (library.isEmpty())
                library = candidate.library;
            picked.append(ReviewWord{library, candidate.libraryFile, place->group, candidate.word, place->meaning});
            if (picked.size() == count)
                return picked;
        }
        if (due.size() < limit || limit > (1 << 24))
            return picked;
    }
}

namespace {

// The plan library's words in order, each once, with the group it falls in.
QList<ReviewWord> planWordsIn(const QString &dataDir, const ExamPlan &plan)
{
    QList<ReviewWord> words;
    QByteArray bytes;
    if (!readWordFileBytes(dataDir + QLatin1Char('/') + plan.libraryFile, bytes))
        return words;
    QSet<QString> seen;
    WordFileReader reader(std::move(bytes));
    QString word;
    QString meaning;
    for (int index = 0; reader.readRecord(word, meaning) && !meaning.isEmpty(); ++index) {
        if (!seen.contains(word)) {
            seen.insert(word);
            words.append(ReviewWord{plan.library, plan.libraryFile, index / GroupSize + 1, word, meaning});
        }
    }
    return words;
}

} // namespace

TodayPlan planToday(const RecordStore &store, const QString &dataDir, const ScheduleSettings &settings,
                    const QDateTime &now)
{
    TodayPlan today;
    const QDate day = Schedule::studyDay(now);
    const ExamPlan &plan = settings.plan;
    today.retention = plan.retentionOn(day);
    int quota = 0;
    if (plan.isActive()) {
        // The day's share was fixed as it began: the words of the library
        // met for the first time today count towards it.
        const qint64 dayStart = Schedule::studyDayStart(day).toMSecsSinceEpoch();
        const QHash<QString, qint64> met = store.firstAnswers();
        for (const ReviewWord &word : planWordsIn(dataDir, plan)) {
            const auto first = met.constFind(word.word);
            if (first == met.constEnd())
                today.unmet.append(word);
            else if (*first >= dayStart)
                ++today.newDone;
        }
        quota = plan.newWordsOn(day, int(today.unmet.size()) + today.newDone);
        today.newWords = std::max(0, std::min(quota - today.newDone, int(today.unmet.size())));
    }
    today.reviewsDone = store.reviewsCountedOn(day);
    const int budget = reviewBudget(settings.dailyCap, quota, today.reviewsDone);
    today.reviews = std::min(store.dueCount(now, today.retention), budget);
    return today;
}

QList<ReviewWord> pickTodayWords(const RecordStore &store, const QString &dataDir, const ScheduleSettings &settings,
                                 const QDateTime &now, int count,
                                 const std::function<QString(const QString &file)> &libraryOfFile)
{
    const TodayPlan today = planToday(store, dataDir, settings, now);
    QList<ReviewWord> words =
        pickReviewWords(store, dataDir, now, std::min(count, today.reviews), libraryOfFile, today.retention);
    const int fresh = std::min<int>(count - int(words.size()), today.newWords);
    for (int i = 0; i < fresh; ++i)
        words.append(today.unmet[i]);
    return words;
}

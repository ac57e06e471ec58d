// Plays a learner through an exam plan for a real exam book and prints how
// the plan holds up: the share of words met two weeks before the exam, the
// share the model expects to be recalled on the exam day, and the largest
// day's load against the daily cap.
//
// The learner is the model itself: each review is recalled with the chance
// the model gives (its R), and a new word's first try is right with a fixed
// chance (most words of the book are new to the learner).
//
//   bench_examplan [book.txt] [days to the exam] [daily cap] [seed]
#include "library/WordFile.h"
#include "record/ExamPlan.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>

#include <cstdio>
#include <random>

namespace {

constexpr double NewWordRecall = 0.3;

int countWords(const QString &path)
{
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes))
        return -1;
    WordFileReader reader(std::move(bytes));
    QSet<QString> words;
    QString word;
    QString meaning;
    while (reader.readRecord(word, meaning) && !meaning.isEmpty())
        words.insert(word);
    return int(words.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString book = args.value(1, QStringLiteral(LEXIVANE_SOURCE_DIR "/data/exam_cet4.txt"));
    const int days = args.value(2, QStringLiteral("60")).toInt();
    const int cap = args.value(3, QStringLiteral("450")).toInt();
    const unsigned seed = args.value(4, QStringLiteral("1")).toUInt();

    const int total = countWords(book);
    if (total <= 0) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(book));
        return 1;
    }
    const QDate start(2027, 1, 1);
    ExamPlan plan;
    plan.library = QStringLiteral("exam");
    plan.libraryFile = QStringLiteral("exam.txt");
    plan.examDate = start.addDays(days);

    DayPlayer player(plan, cap, start);
    player.setUnmet(total);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    const auto recall = [&](double r) { return chance(random) < r; };

    int metByDeadline = 0;
    int largestLoad = 0;
    QDate largestDay;
    int largestCarried = 0;
    const QDate deadline = plan.examDate.addDays(-ExamPlan::LastNewDaysBefore);
    std::printf("day\tdate\treviews\tnew\tcarried\n");
    for (int day = 0; day < days; ++day) {
        const DayPlayer::Day played = player.playDay(recall, NewWordRecall);
        if (played.date <= deadline)
            metByDeadline += played.newWords;
        if (played.reviews + played.newWords > largestLoad) {
            largestLoad = played.reviews + played.newWords;
            largestDay = played.date;
        }
        largestCarried = std::max(largestCarried, played.dueLeft);
        std::printf("%d\t%s\t%d\t%d\t%d\n", day, qPrintable(played.date.toString(Qt::ISODate)), played.reviews,
                    played.newWords, played.dueLeft);
    }
    // The exam morning: no review on the day itself.
    int recalledWell = 0;
    double recallSum = 0;
    for (const DayPlayer::Word &word : player.words()) {
        const double r = Fsrs::retrievability(days - word.lastDay, word.memory.stability);
        recallSum += r;
        if (r >= 0.9)
            ++recalledWell;
    }
    std::printf("\nbook\t%s\nwords\t%d\ndays to the exam\t%d\ndaily cap\t%d\n", qPrintable(book), total, days, cap);
    std::printf("met by exam - %d days\t%.2f %%\n", ExamPlan::LastNewDaysBefore, 100.0 * metByDeadline / total);
    std::printf("predicted recall >= 0.9 on the exam day\t%.2f %%\n", 100.0 * recalledWell / total);
    std::printf("mean predicted recall on the exam day\t%.4f\n", recallSum / total);
    std::printf("largest day (reviews + new)\t%d on %s\t%.1f %% of the cap\n", largestLoad,
                qPrintable(largestDay.toString(Qt::ISODate)), 100.0 * largestLoad / std::max(1, cap));
    std::printf("most due words carried to the next day\t%d\n", largestCarried);
    return 0;
}

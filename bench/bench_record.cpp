// Two figures of the learning record:
//
// - recording: the time one answer adds to the typing test (one transaction
//   in lexvan.db, with the memory state of a first try), over 3000 answers
//   into a database that already holds 100,000. Every 500th answer also
//   copies the log back into the database. Target: under 2 ms each.
// - due words: counting the words due and picking the 25 most overdue out
//   of 50,000 scheduled words, most of them due. Target: under 50 ms.

#include "record/RecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QDateTime Start(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);

AnswerRecord answerOf(int i, const QDateTime &time)
{
    AnswerRecord a;
    a.time = time;
    a.library = QStringLiteral("基础词汇");
    a.libraryFile = QStringLiteral("lib%1.txt").arg(i % 4);
    a.word = QStringLiteral("word%1").arg(i % 50000);
    a.meaning = QStringLiteral("释义%1，一个不算短的中文意思").arg(i % 50000);
    a.group = (i % 50000) / 25 + 1;
    a.pass = i % 5 == 4 ? 1 : 0;
    a.right = i % 7 != 0;
    a.milliseconds = 800 + (i * 37) % 4000;
    return a;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[size_t(p * double(values.size() - 1))];
}

// 50,000 words each answered twice, spread over the year, in batches.
void fill(RecordStore &store, int answers)
{
    QList<AnswerRecord> batch;
    for (int i = 0; i < answers; ++i) {
        batch.append(answerOf(i, Start.addSecs(qint64(i) * 150)));
        if (batch.size() == 5000) {
            store.recordAnswers(batch);
            batch.clear();
        }
    }
    store.recordAnswers(batch);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    RecordStore store;
    const RecordStore::Outcome outcome = store.open(dir.filePath(RecordStore::fileName()));
    if (!outcome.ok()) {
        std::printf("cannot open the record: %s\n", qPrintable(outcome.detail));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    fill(store, 100000);
    store.checkpoint();
    std::printf("generated 100000 answers (50000 scheduled words) in %.1f s\n", double(timer.elapsed()) / 1000);

    // One answer at a time, as the test records them.
    std::vector<double> times;
    const QDateTime now = Start.addDays(200);
    for (int i = 0; i < 3000; ++i) {
        const AnswerRecord a = answerOf(i * 13, now.addSecs(i * 5));
        timer.start();
        if (store.recordAnswer(a) != RecordStore::WriteResult::Written) {
            std::printf("recording failed: %s\n", qPrintable(store.lastOutcome().detail));
            return 1;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_TRACE") && times.back() >= 2.0)
            std::printf("  slow answer %d: %.3f ms\n", i, times.back());
    }
    const auto slow = std::count_if(times.begin(), times.end(), [](double ms) { return ms >= 2.0; });
    std::printf("record one answer (3000 answers): median %.3f ms, 95th percentile %.3f ms, 99th %.3f ms,"
                " worst %.3f ms, %d of 3000 took 2 ms or more (target: under 2 ms)\n",
                percentile(times, 0.5), percentile(times, 0.95), percentile(times, 0.99), percentile(times, 1.0),
                int(slow));

    std::vector<double> dueTimes;
    int count = 0;
    int picked = 0;
    for (int run = 0; run < 15; ++run) {
        timer.start();
        const QDateTime at = Start.addDays(300);
        count = store.dueCount(at);
        picked = int(store.dueWords(at, 25).size());
        dueTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("due words: %d of 50000 due, %d picked; median %.3f ms, worst %.3f ms over 15 runs"
                " (target: under 50 ms)\n",
                count, picked, percentile(dueTimes, 0.5), percentile(dueTimes, 1.0));
    return 0;
}

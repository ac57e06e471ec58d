// How long the progress window takes to open on a large record: 200,000
// answers over the last year in four libraries of 5,000 words, one of them
// made from a text (a sentence for each word). Timed from
// opening lexvan.db to the window shown and painted once: open, the
// queries, building the window, the first paint. Target: under 300 ms.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// With --show SECONDS it keeps the window on screen that long afterwards
// (for a screenshot); --small fills a small record instead (readable
// pictures for the screenshot).

#include "record/RecordStore.h"
#include "recordui/ProgressWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int LibraryCount = 4;
constexpr int WordsPerLibrary = 5000;

QList<LibraryInfo> libraries()
{
    static const QString names[LibraryCount] = {QStringLiteral("基础词汇"), QStringLiteral("四级词汇"),
                                                QStringLiteral("六级词汇"), QStringLiteral("水果蔬菜")};
    QList<LibraryInfo> list;
    for (int i = 0; i < LibraryCount; ++i)
        list.append({names[i], QStringLiteral("lib%1.txt").arg(i), WordsPerLibrary});
    return list;
}

// A learner who works most days, more at weekends, improving over the year.
void fill(RecordStore &store, int answers, int wordsUsed, const QDate &today)
{
    const QList<LibraryInfo> libs = libraries();
    QList<AnswerRecord> batch;
    const int days = 365;
    for (int i = 0; i < answers; ++i) {
        int day = int(qint64(i) * days / answers);
        if (today.addDays(day - days + 1).dayOfWeek() == 3 && day % 3 == 0)
            day = std::max(0, day - 1); // some days off: that work moves to the day before
        const QDate date = today.addDays(day - days + 1);
        const int library = (i / 2000) % LibraryCount;
        const int word = int((qint64(i) * 7) % wordsUsed);
        AnswerRecord a;
        a.time = QDateTime(date, QTime(19, 0)).addSecs(i % 3600);
        a.library = libs[library].name;
        a.libraryFile = libs[library].file;
        a.word = QStringLiteral("word%1").arg(word);
        a.meaning = QStringLiteral("释义%1").arg(word);
        a.group = word / 25 + 1;
        a.pass = i % 6 == 5 ? 1 : 0;
        const int skill = 55 + 35 * day / days;      // per cent right
        const int wordDifficulty = (word * 37) % 50; // some words are much harder than others
        a.right = int((qint64(i) * 7919) % 100) < skill + 25 - wordDifficulty;
        a.milliseconds = 900 + (i * 53) % 5000;
        batch.append(a);
        if (batch.size() == 10000) {
            store.recordAnswers(batch);
            batch.clear();
        }
    }
    store.recordAnswers(batch);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int showIndex = int(args.indexOf(QStringLiteral("--show")));
    const int showSeconds = showIndex > 0 && showIndex + 1 < args.size() ? args[showIndex + 1].toInt() : 0;
    const bool small = args.contains(QStringLiteral("--small"));
    const int answers = small ? 6000 : 200000;

    QTemporaryDir dir;
    const QString path = dir.filePath(RecordStore::fileName());
    const QDate today = QDate::currentDate();
    QElapsedTimer timer;
    timer.start();
    {
        RecordStore store;
        if (!store.open(path).ok()) {
            std::printf("cannot open the record: %s\n", qPrintable(store.lastOutcome().detail));
            return 1;
        }
        fill(store, answers, small ? 300 : WordsPerLibrary, today);
        // The last library was made from a text: each word keeps its sentence.
        QList<SourceSentence> sentences;
        for (int word = 0; word < WordsPerLibrary; ++word)
            sentences.append(
                {QStringLiteral("word%1").arg(word), QStringLiteral("A sentence with word%1 in it.").arg(word)});
        store.recordSourceSentences(libraries().constLast().file, sentences);
        std::printf("generated %lld answers in %.1f s\n", store.answerCount(), double(timer.elapsed()) / 1000);
    }

    std::vector<double> totals, opens, queries, windows;
    const int runs = 10;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        RecordStore store;
        store.open(path);
        const double opened = double(timer.nsecsElapsed()) / 1e6;
        const ProgressData data = store.progress(libraries(), today);
        const double queried = double(timer.nsecsElapsed()) / 1e6;
        ProgressWindow window;
        window.setData(data);
        window.show();
        window.repaint();
        const double shown = double(timer.nsecsElapsed()) / 1e6;
        opens.push_back(opened);
        queries.push_back(queried - opened);
        windows.push_back(shown - queried);
        totals.push_back(shown);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("progress window with %d answers, median of %d runs: %.1f ms in all (open %.1f, queries %.1f,"
                " window and first paint %.1f; slowest run %.1f ms) (target: under 300 ms)\n",
                answers, runs, median(totals), median(opens), median(queries), median(windows),
                *std::max_element(totals.begin(), totals.end()));

    if (showSeconds > 0) {
        RecordStore store;
        store.open(path);
        ProgressWindow window;
        window.setData(store.progress(libraries(), today));
        window.show();
        window.hardestTable()->selectRow(0);
        QTimer::singleShot(showSeconds * 1000, &app, &QApplication::quit);
        return app.exec();
    }
    return 0;
}

// Pronunciation figures.
//
// 1. For each installed speech engine: the time from a word being shown (the
//    window asks the speaker for it) to the engine reporting that it speaks,
//    median of 20 words, each heard to its end before the next. The first
//    word, which also starts the engine, is reported on its own. Target: a
//    median under 150 ms.
// 2. The typing test's handling of the Enter key that judges a right answer,
//    with speech on (the default engine) and off: the key's own handling, and
//    the key together with the work it leaves for the event loop. Speech on
//    should not be measurably slower.
//
// Without a sound device the engines cannot speak; the bench then says so
// for the engine instead of printing a figure.

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "settings/CIniFile.h"
#include "settings/UserDialogs.h"
#include "speech/QtSpeechEngine.h"
#include "speech/WordSpeaker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int WordsPerEngine = 20;
constexpr int AnswerRounds = 8; // groups of 25 answers each

const char *const kWords[] = {
    "colonel", "quay",   "hyperbole", "island",  "receipt", "choir",     "subtle",
    "debris",  "yacht",  "epitome",   "queue",   "rhythm",  "psychology", "knight",
    "salmon",  "wednesday", "thorough", "indict", "sword",   "aisle",     "vocabulary",
};

class SilentDialogs : public UserDialogs
{
public:
    void message(const QString &) override {}
    bool question(const QString &) override { return true; }
    void beep() override {}
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Waits for `speaker` to start (returns ms) and then to end the word; -1
// when it never started.
double timeOneWord(WordSpeaker &speaker, const QString &word)
{
    QElapsedTimer clock;
    double started = -1;
    bool ended = false;
    QEventLoop loop;
    const auto onStart = QObject::connect(&speaker, &WordSpeaker::speakingStarted, &loop, [&] {
        started = double(clock.nsecsElapsed()) / 1e6;
    });
    const auto onEnd = QObject::connect(&speaker, &WordSpeaker::wordEnded, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(WordSpeaker::WordTimeLimitMs + 1000, &loop, &QEventLoop::quit);
    clock.start();
    speaker.speak(word);
    if (!ended)
        loop.exec();
    QObject::disconnect(onStart);
    QObject::disconnect(onEnd);
    return started;
}

void benchEngine(const QString &engineName)
{
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("lexvan.ini")),
              QByteArray("[Speech]\r\nEngine=") + engineName.toLatin1() + "\r\n");
    CIniFile ini;
    ini.SpecifyIni(folder.filePath(QStringLiteral("lexvan.ini")));
    SilentDialogs dialogs;
    QtSpeechEngine engine;
    WordSpeaker speaker(engine, ini, dialogs, folder.filePath(QStringLiteral("audio")));

    const double first = timeOneWord(speaker, QStringLiteral("lexivane"));
    std::printf("%-8s  first word incl. engine start: %s\n", qPrintable(engineName),
                first < 0 ? "never started" : qPrintable(QString::number(first, 'f', 2) + QStringLiteral(" ms")));
    std::vector<double> latencies;
    int failed = 0;
    for (int i = 0; i < WordsPerEngine; ++i) {
        const double ms = timeOneWord(speaker, QString::fromLatin1(kWords[i]));
        if (ms < 0)
            ++failed;
        else
            latencies.push_back(ms);
        std::printf("%-8s  word %2d %-11s %s\n", qPrintable(engineName), i + 1, kWords[i],
                    ms < 0 ? "failed" : qPrintable(QString::number(ms, 'f', 2) + QStringLiteral(" ms")));
        // An engine that cannot speak here is not worth 20 time-outs.
        if (latencies.empty() && failed == 3)
            break;
    }
    if (latencies.empty()) {
        std::printf("%-8s  no word was spoken (no sound device?); first word %s\n", qPrintable(engineName),
                    first < 0 ? "failed too" : "started");
        return;
    }
    std::printf("%-8s  word shown -> speaking: median %7.2f ms, min %7.2f, max %7.2f (%zu words, %d failed)\n",
                qPrintable(engineName), median(latencies), *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()), latencies.size(), failed);
}

struct KeyFigures
{
    double handlerUs = 0;
    double withEventsUs = 0;
};

KeyFigures benchAnswers(bool speechOn)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("data"));
    QString library;
    for (int n = 1; n <= 25 * (AnswerRounds + 1); ++n)
        library += QStringLiteral("word%1\r\nmeaning%1\r\n").arg(n);
    writeFile(folder.filePath(QStringLiteral("data/test.txt")), library.toLatin1());
    writeFile(folder.filePath(QStringLiteral("lexvan.ini")),
              QByteArray("[LibName]\r\nLib0=test\r\n[LibraryFileName]\r\ntest=test.txt\r\n[Speech]\r\nEnabled=") +
                  (speechOn ? "True" : "False") + "\r\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    SilentDialogs dialogs;
    QtSpeechEngine engine;
    std::vector<double> handler;
    std::vector<double> withEvents;
    {
        LexivaneApp app(folder.path(), &dialogs, &engine);
        Form1 *form = app.form1();
        form->show();
        auto *groupBox = form->findChild<QLineEdit *>(QStringLiteral("Text2"));
        auto *answerBox = form->findChild<QLineEdit *>(QStringLiteral("Text1"));
        groupBox->setText(QStringLiteral("1"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(groupBox, &enter);

        QElapsedTimer clock;
        for (int answer = 0; answer < 25 * AnswerRounds; ++answer) {
            const WordEntry &entry = form->words()[form->currentIndex()];
            answerBox->setText(entry.Word);
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            clock.start();
            QApplication::sendEvent(answerBox, &key);
            const qint64 afterKey = clock.nsecsElapsed();
            QCoreApplication::processEvents();
            const qint64 afterEvents = clock.nsecsElapsed();
            // The last answer of a group loads the next one; that is the
            // loader's figure, not the key's.
            if (answer % 25 != 24) {
                handler.push_back(double(afterKey) / 1e3);
                withEvents.push_back(double(afterEvents) / 1e3);
            }
        }
        app.speaker().silence();
    }
    QDir::setCurrent(previous);
    return {median(handler), median(withEvents)};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Each figure as soon as it is known, also into a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    // "--engine NAME": that engine's figures only. Each engine runs in a
    // process of its own, so that one that crashes (Qt 6.4's Flite engine
    // does, now and then) cannot take the other figures with it.
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype engineArgument = arguments.indexOf(QStringLiteral("--engine"));
    if (engineArgument > 0 && engineArgument + 1 < arguments.size()) {
        benchEngine(arguments.at(engineArgument + 1));
        return 0;
    }

    QtSpeechEngine probe;
    const QStringList engines = probe.engines();
    std::printf("speech engines installed: %s\n",
                engines.isEmpty() ? "none" : qPrintable(engines.join(QStringLiteral(", "))));
    for (const QString &engine : engines) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--engine"), engine});
        child.waitForFinished(10 * 60 * 1000);
        std::fputs(child.readAllStandardOutput().constData(), stdout);
        if (child.exitStatus() != QProcess::NormalExit)
            std::printf("%-8s  the engine crashed the process (see above for how far it got)\n", qPrintable(engine));
    }

    // Alternate the two settings so that a busy machine weighs on both alike.
    std::vector<double> onHandler, onEvents, offHandler, offEvents;
    for (int run = 0; run < 3; ++run) {
        const KeyFigures off = benchAnswers(false);
        const KeyFigures on = benchAnswers(true);
        offHandler.push_back(off.handlerUs);
        offEvents.push_back(off.withEventsUs);
        onHandler.push_back(on.handlerUs);
        onEvents.push_back(on.withEventsUs);
    }
    std::printf("typing test, Enter on a right answer (median of %d answers x 3 runs):\n", 24 * AnswerRounds);
    std::printf("  speech off: key %8.1f us, key + queued work %8.1f us\n", median(offHandler), median(offEvents));
    std::printf("  speech on : key %8.1f us, key + queued work %8.1f us\n", median(onHandler), median(onEvents));
    return 0;
}

#pragma once

#include "speech/SpeechEngine.h"

#include <QElapsedTimer>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QPair>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QTextToSpeech;
class QThread;
class QTimer;
class VoiceWorker;

// A speech engine that talks to a daemon (speech-dispatcher), driven from a
// thread of its own. The daemon's client library waits without a time limit
// for every answer, and a daemon whose sound output hangs (no sound device)
// stops answering for good; a call made on the GUI thread would then freeze
// the program. So the engine object is created, used and destroyed on the
// worker thread, and this side only posts requests and hears back, queued.
//
// A worker that has not answered a request within the limit is taken to be
// stuck: its word fails, isResponding() turns false, and the worker is left
// behind (a thread blocked inside the client library cannot be stopped).
// A word asked for later, after a pause, starts a fresh worker.
class DaemonVoice : public QObject
{
    Q_OBJECT

public:
    explicit DaemonVoice(const QString &engine, QObject *parent = nullptr);
    // Waits at most CloseWaitMs for the worker to close the connection.
    ~DaemonVoice() override;

    // How long a request may go unanswered before the worker counts as stuck.
    static constexpr int AnswerLimitMs = 2000;
    // The same for opening the connection, which may have to spawn the daemon.
    static constexpr int OpenLimitMs = 8000;
    // How long going away waits for the worker.
    static constexpr int CloseWaitMs = 500;
    // The pause after a stuck worker before a word tries a fresh connection.
    static constexpr int RetryAfterMs = 10000;
    // Stuck workers each keep a blocked thread; past this many the engine
    // stays silent for the rest of the run.
    static constexpr int MostLeftBehind = 8;

    // Shorter limits for the tests, which cannot wait seconds per case.
    void setLimits(int answerMs, int retryAfterMs);

    QString engine() const { return m_engine; }
    bool isResponding() const { return m_responding; }

    void configure(const QString &accent, int rate);
    void say(int utterance, const QString &text);
    void stop();

signals:
    void utteranceState(int utterance, SpeechEngine::State state);
    void respondingChanged(bool responding);

private:
    void startWorker();
    void post(std::function<void(VoiceWorker &)> call, int limitMs);
    void onAnswered(quint64 request);
    void onWorkerState(int utterance, SpeechEngine::State state);
    void giveUp();
    void leaveWorkerBehind();
    bool mayRetry() const;

    QString m_engine;
    QString m_accent;
    int m_rate = 0;
    int m_answerLimitMs = AnswerLimitMs;
    int m_openLimitMs = OpenLimitMs;
    int m_retryAfterMs = RetryAfterMs;

    QThread *m_thread = nullptr;
    VoiceWorker *m_worker = nullptr;
    // The newest utterance wanted; the worker skips words that are older by
    // the time it reaches them (0 after a stop: none is wanted).
    std::shared_ptr<std::atomic<int>> m_wanted = std::make_shared<std::atomic<int>>(0);
    // Requests posted to the worker and not yet answered, oldest first, with
    // their time limits.
    quint64 m_posted = 0;
    QList<QPair<quint64, int>> m_unanswered;
    QTimer *m_watchdog = nullptr;

    // The word handed over whose end has not been reported yet (0: none).
    int m_utterance = 0;

    bool m_responding = true;
    QElapsedTimer m_stuckSince;
    int m_leftBehind = 0;
};

// The engine object's side of DaemonVoice, living on the worker thread. Every
// request, once carried out, is acknowledged with answered().
class VoiceWorker : public QObject
{
    Q_OBJECT

public:
    explicit VoiceWorker(std::shared_ptr<std::atomic<int>> wanted);
    ~VoiceWorker() override;

    void open(const QString &engine);
    void configure(const QString &accent, int rate);
    void say(int utterance, const QString &text);
    void stop();

    // Called from the owner's thread when it leaves this worker behind: the
    // requests still queued are dropped instead of carried out. A worker is
    // left behind because the daemon stopped answering; when its blocked call
    // returns at last, it is mostly because the daemon went away, and the
    // client library crashes on the next call over the dead connection.
    void abandon() { m_abandoned.store(true); }
    bool isAbandoned() const { return m_abandoned.load(); }

    // Gives `speech` the English voice for `accent` (SpeechSettings::AccentUS
    // or AccentUK), else any English one it has, and the rate step `rate`.
    // Shared with the in-process engine, which sets its voice the same way.
    static void applyVoice(QTextToSpeech &speech, const QString &accent, int rate);
    // The accents that `locales` cover.
    static QStringList englishAccents(const QList<QLocale> &locales);

signals:
    void answered(quint64 request);
    void utteranceState(int utterance, SpeechEngine::State state);

private:
    void applySettings();
    void onState(int state);
    void tellSpeaking();

    std::shared_ptr<std::atomic<int>> m_wanted;
    QTextToSpeech *m_speech = nullptr;
    QString m_accent;
    int m_rate = 0;
    bool m_settingsApplied = false;
    int m_utterance = 0;
    bool m_active = false;
    bool m_toldSpeaking = false;
    std::atomic<bool> m_abandoned{false};
};

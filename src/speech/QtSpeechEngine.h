#pragma once

#include "speech/SpeechEngine.h"

#include <QPointer>

#include <memory>

class DaemonVoice;
class Mmedia;
class QTextToSpeech;
class QTimer;

// The production voice: the speech engines of Qt TextToSpeech, and recorded
// words played through Mmedia.
//
// speech-dispatcher (and any engine we do not know) is driven from a thread
// of its own through DaemonVoice: its client library can block without a
// time limit, and the GUI thread must never wait on it. Flite synthesises
// inside the program and its Qt engine is not safe to drive from a second
// thread (it crashes tearing down its sound output there), so it stays on
// the calling (GUI) thread, where say() only hands the text over.
//
// Stopping the Flite engine and giving it the next word within a few tens of
// milliseconds crashes Qt 6.4's Flite plugin, so after a stop the next word
// waits for the engine to report that it is ready again.
class QtSpeechEngine : public SpeechEngine
{
    Q_OBJECT

public:
    explicit QtSpeechEngine(QObject *parent = nullptr);
    ~QtSpeechEngine() override;

    // The engines we know, best first; any other installed engine follows.
    static QStringList preferredOrder();

    // Longest wait after a stop before the next word goes to the engine.
    static constexpr int StopGraceMs = 600;
    // Whether `engine` runs inside the program (and so on the GUI thread).
    static bool runsInProcess(const QString &engine);

    QStringList engines() const override;
    QStringList accents(const QString &engine) override;
    void configure(const QString &engine, const QString &accent, int rate) override;
    void say(int utterance, const QString &text) override;
    void play(int utterance, const QString &path) override;
    void stop() override;
    bool isResponding() const override;

    // Shorter limits for the daemon engine (DaemonVoice::setLimits), for the
    // tests.
    void setDaemonLimits(int answerMs, int retryAfterMs);

private:
    DaemonVoice &daemonVoice();
    void ensureEngine();
    void dropEngine();
    void applySettings();
    void sayNow(int utterance, const QString &text);
    void onState(int state);
    void stopRecording();
    void checkRecording();
    void stopped();

    // Listed on first use: finding the engines loads plugins, which the
    // program's start need not wait for.
    mutable QStringList m_engines;
    mutable bool m_enginesListed = false;

    QString m_engineName;
    QString m_accent;
    int m_rate = 0;
    bool m_settingsApplied = false;
    // The in-process engine (Flite).
    QTextToSpeech *m_speech = nullptr;
    // The daemon engine (speech-dispatcher), on its own thread.
    DaemonVoice *m_daemon = nullptr;
    int m_daemonAnswerMs = 0;
    int m_daemonRetryAfterMs = 0;
    // Flite's engine crashes when a word follows a stop before the stop has
    // taken effect, so a word after a stop waits until the engine is ready
    // again (or the grace time is over).
    bool m_stopping = false;
    QTimer *m_stopGrace = nullptr;
    // A word asked for while the engine stops.
    int m_pendingUtterance = 0;
    QString m_pendingText;
    // The utterance the engine is saying, while it says it.
    int m_utterance = 0;
    bool m_active = false;

    std::unique_ptr<Mmedia> m_media;
    QTimer *m_recordingPoll = nullptr;
    int m_recordingUtterance = 0;
    bool m_recordingPlaying = false;
};

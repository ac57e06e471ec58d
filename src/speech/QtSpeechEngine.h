#pragma once

#include "speech/SpeechEngine.h"

#include <QPointer>

#include <atomic>
#include <memory>

class Mmedia;
class QTextToSpeech;
class QThread;
class QTimer;

// The production voice: the speech engines of Qt TextToSpeech, and recorded
// words played through Mmedia.
//
// Speaking happens on the calling (GUI) thread: the engines' say() only hands
// the text over (Flite synthesises on a thread of its own, speech-dispatcher
// is another process). Flite's Qt engine is not safe to drive from a second
// thread (it crashes tearing down its sound output there). Starting an engine
// can take seconds when speech-dispatcher has to be spawned first, so that
// engine is started on a short-lived thread and handed over when ready; a
// word asked for meanwhile waits for it.
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
    // How long going away waits for an engine that is still starting.
    static constexpr int StarterWaitMs = 2000;

    QStringList engines() const override;
    QStringList accents(const QString &engine) override;
    void configure(const QString &engine, const QString &accent, int rate) override;
    void say(int utterance, const QString &text) override;
    void play(int utterance, const QString &path) override;
    void stop() override;

private:
    void ensureEngine();
    void adopt(QTextToSpeech *speech, const QString &engine);
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
    QTextToSpeech *m_speech = nullptr;
    QThread *m_starter = nullptr;
    // Set when this object goes away while an engine is still starting.
    std::shared_ptr<std::atomic<bool>> m_abandoned = std::make_shared<std::atomic<bool>>(false);
    // Flite's engine crashes when a word follows a stop before the stop has
    // taken effect, so a word after a stop waits until the engine is ready
    // again (or the grace time is over).
    bool m_stopping = false;
    QTimer *m_stopGrace = nullptr;
    // A word asked for while the engine starts or stops.
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

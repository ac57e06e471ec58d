#pragma once

#include "speech/SpeechEngine.h"

#include <QPointer>

#include <memory>

class Mmedia;
class QThread;
class QTimer;
class SpeechWorker;

// The production voice: the speech engines of Qt TextToSpeech, driven from a
// thread of their own (starting an engine can take seconds, for instance
// while speech-dispatcher is spawned), and recorded words played through
// Mmedia on the calling thread.
class QtSpeechEngine : public SpeechEngine
{
    Q_OBJECT

public:
    explicit QtSpeechEngine(QObject *parent = nullptr);
    ~QtSpeechEngine() override;

    // The engines we know to work well for single words come first, in this
    // order; any other installed engine follows.
    static QStringList preferredOrder();

    QStringList engines() const override;
    QStringList accents(const QString &engine) override;
    void configure(const QString &engine, const QString &accent, int rate) override;
    void say(int utterance, const QString &text) override;
    void play(int utterance, const QString &path) override;
    void stop() override;

private:
    void startWorker();
    void stopRecording();
    void checkRecording();

    QStringList m_engines;
    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;

    std::unique_ptr<Mmedia> m_media;
    QTimer *m_recordingPoll = nullptr;
    int m_recordingUtterance = 0;
    bool m_recordingPlaying = false;
};

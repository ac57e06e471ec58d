#include "speech/QtSpeechEngine.h"

#include "media/Mmedia.h"
#include "speech/DaemonVoice.h"
#include "speech/SpeechSettings.h"

#include <QCoreApplication>
#include <QTimer>

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
#include <QTextToSpeech>
#else
// Without Qt TextToSpeech no engine is ever listed, so none is ever made.
class QTextToSpeech : public QObject
{
};
#endif

QtSpeechEngine::QtSpeechEngine(QObject *parent)
    : SpeechEngine(parent)
{
    m_recordingPoll = new QTimer(this);
    m_recordingPoll->setInterval(40);
    connect(m_recordingPoll, &QTimer::timeout, this, &QtSpeechEngine::checkRecording);
    m_stopGrace = new QTimer(this);
    m_stopGrace->setSingleShot(true);
    m_stopGrace->setInterval(StopGraceMs);
    connect(m_stopGrace, &QTimer::timeout, this, &QtSpeechEngine::stopped);
}

QtSpeechEngine::~QtSpeechEngine()
{
    stopRecording();
    dropEngine();
    // Waits a moment at most for a daemon connection to close.
    delete m_daemon;
}

QStringList QtSpeechEngine::preferredOrder()
{
    // speech-dispatcher first: it speaks in a process of its own, so nothing
    // that goes wrong in it can take the program down, and it has British
    // English as well. Qt 6.4's Flite engine, which runs inside the program,
    // crashes in its sound output after some words.
    return {QStringLiteral("speechd"), SpeechSettings::EngineFlite};
}

bool QtSpeechEngine::runsInProcess(const QString &engine)
{
    return engine == SpeechSettings::EngineFlite;
}

DaemonVoice &QtSpeechEngine::daemonVoice()
{
    if (!m_daemon || m_daemon->engine() != m_engineName) {
        // Another daemon engine: the old connection is closed in the background.
        delete m_daemon;
        m_daemon = new DaemonVoice(m_engineName, this);
        connect(m_daemon, &DaemonVoice::utteranceState, this, &SpeechEngine::utteranceState);
        connect(m_daemon, &DaemonVoice::respondingChanged, this, &SpeechEngine::respondingChanged);
        if (m_daemonAnswerMs > 0)
            m_daemon->setLimits(m_daemonAnswerMs, m_daemonRetryAfterMs);
    }
    return *m_daemon;
}

void QtSpeechEngine::setDaemonLimits(int answerMs, int retryAfterMs)
{
    m_daemonAnswerMs = answerMs;
    m_daemonRetryAfterMs = retryAfterMs;
    if (m_daemon)
        m_daemon->setLimits(answerMs, retryAfterMs);
}

bool QtSpeechEngine::isResponding() const
{
    return runsInProcess(m_engineName) || !m_daemon || m_daemon->isResponding();
}

QStringList QtSpeechEngine::engines() const
{
    if (m_enginesListed)
        return m_engines;
    m_enginesListed = true;
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    const QStringList installed = QTextToSpeech::availableEngines();
    for (const QString &name : preferredOrder()) {
        if (installed.contains(name))
            m_engines << name;
    }
    for (const QString &name : installed) {
        // The test engine some Qt builds carry says nothing.
        if (!m_engines.contains(name) && name != QLatin1String("mock"))
            m_engines << name;
    }
#endif
    return m_engines;
}

QStringList QtSpeechEngine::accents(const QString &engine)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (!engines().contains(engine))
        return {};
    // A daemon's connection can hang for good when the daemon is stuck (for
    // instance on a machine without a sound device), so it is never opened
    // on this thread; speech-dispatcher's eSpeak NG voices cover both accents.
    if (!runsInProcess(engine))
        return {SpeechSettings::AccentUS, SpeechSettings::AccentUK};
    if (engine == m_engineName && m_speech)
        return VoiceWorker::englishAccents(m_speech->availableLocales());
    // Only the settings dialog asks, once per engine shown.
    QTextToSpeech speech(engine);
    return VoiceWorker::englishAccents(speech.availableLocales());
#else
    Q_UNUSED(engine)
    return {};
#endif
}

void QtSpeechEngine::configure(const QString &engine, const QString &accent, int rate)
{
    if (engine != m_engineName) {
        dropEngine();
        if (m_daemon)
            m_daemon->stop();
    }
    const bool wasResponding = isResponding();
    m_engineName = engine;
    m_accent = accent;
    m_rate = rate;
    m_settingsApplied = false;
    if (!engine.isEmpty() && !runsInProcess(engine))
        daemonVoice().configure(accent, rate);
    if (isResponding() != wasResponding)
        emit respondingChanged(isResponding());
}

void QtSpeechEngine::ensureEngine()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_speech || !runsInProcess(m_engineName))
        return;
    m_speech = new QTextToSpeech(m_engineName, this);
    m_settingsApplied = false;
    connect(m_speech, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) { onState(state); });
#endif
}

void QtSpeechEngine::dropEngine()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (!m_speech)
        return;
    m_speech->disconnect(this);
    if (m_speech->state() == QTextToSpeech::Speaking)
        m_speech->stop();
    delete m_speech;
    m_speech = nullptr;
    if (m_active) {
        m_active = false;
        emit utteranceState(m_utterance, State::Finished);
    }
#endif
}

void QtSpeechEngine::applySettings()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_settingsApplied || !m_speech)
        return;
    m_settingsApplied = true;
    VoiceWorker::applyVoice(*m_speech, m_accent, m_rate);
#endif
}

void QtSpeechEngine::say(int utterance, const QString &text)
{
    stopRecording();
    if (m_engineName.isEmpty()) {
        emit utteranceState(utterance, State::Failed);
        return;
    }
    if (!runsInProcess(m_engineName)) {
        daemonVoice().say(utterance, text);
        return;
    }
    ensureEngine();
    if (m_stopping) {
        // Only the newest word waits for the engine.
        if (!m_pendingText.isEmpty())
            emit utteranceState(m_pendingUtterance, State::Finished);
        m_pendingUtterance = utterance;
        m_pendingText = text;
        return;
    }
    sayNow(utterance, text);
}

void QtSpeechEngine::sayNow(int utterance, const QString &text)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (!m_speech) {
        emit utteranceState(utterance, State::Failed);
        return;
    }
    applySettings();
    if (m_active)
        emit utteranceState(m_utterance, State::Finished);
    m_utterance = utterance;
    m_active = true;
    m_speech->say(text);
    // An engine without a sound device stays in its error state and reports
    // no change; one that was speaking already reports no new start.
    if (m_speech->state() == QTextToSpeech::Error) {
        m_active = false;
        emit utteranceState(utterance, State::Failed);
    } else if (m_speech->state() == QTextToSpeech::Speaking) {
        emit utteranceState(utterance, State::Speaking);
    }
#else
    Q_UNUSED(text)
    emit utteranceState(utterance, State::Failed);
#endif
}

void QtSpeechEngine::onState(int state)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_stopping && QTextToSpeech::State(state) != QTextToSpeech::Speaking) {
        stopped();
        return;
    }
    if (!m_active)
        return;
    switch (QTextToSpeech::State(state)) {
    case QTextToSpeech::Speaking:
        emit utteranceState(m_utterance, State::Speaking);
        break;
    case QTextToSpeech::Ready:
        m_active = false;
        emit utteranceState(m_utterance, State::Finished);
        break;
    case QTextToSpeech::Error:
        m_active = false;
        emit utteranceState(m_utterance, State::Failed);
        break;
    default:
        break;
    }
#else
    Q_UNUSED(state)
#endif
}

void QtSpeechEngine::stop()
{
    stopRecording();
    if (!m_pendingText.isEmpty()) {
        m_pendingText.clear();
        emit utteranceState(m_pendingUtterance, State::Finished);
    }
    if (m_daemon)
        m_daemon->stop();
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_speech && m_speech->state() == QTextToSpeech::Speaking) {
        m_stopping = true;
        m_stopGrace->start();
        m_speech->stop();
    }
#endif
    // The engine's own Ready may come late or not at all (speech-dispatcher
    // without a sound device); the word is over now.
    if (m_active) {
        m_active = false;
        emit utteranceState(m_utterance, State::Finished);
    }
}

void QtSpeechEngine::stopped()
{
    m_stopping = false;
    m_stopGrace->stop();
    if (m_pendingText.isEmpty())
        return;
    const QString text = m_pendingText;
    m_pendingText.clear();
    sayNow(m_pendingUtterance, text);
}

void QtSpeechEngine::play(int utterance, const QString &path)
{
    stop();
    if (!m_media)
        m_media = std::make_unique<Mmedia>();
    m_recordingUtterance = utterance;
    // The open waits for the file to load (with the event loop running);
    // a file that will not load reports "not ready".
    m_media->mmOpen(path);
    m_media->mmPlay();
    if (m_media->Status() != QLatin1String("playing")) {
        m_media->mmClose();
        emit utteranceState(utterance, State::Failed);
        return;
    }
    m_recordingPlaying = true;
    emit utteranceState(utterance, State::Speaking);
    m_recordingPoll->start();
}

void QtSpeechEngine::checkRecording()
{
    if (!m_recordingPlaying || (m_media && m_media->Status() == QLatin1String("playing")))
        return;
    const int utterance = m_recordingUtterance;
    stopRecording();
    emit utteranceState(utterance, State::Finished);
}

void QtSpeechEngine::stopRecording()
{
    m_recordingPoll->stop();
    if (m_recordingPlaying && m_media) {
        m_recordingPlaying = false;
        m_media->mmStop();
        m_media->mmClose();
    }
    m_recordingPlaying = false;
}

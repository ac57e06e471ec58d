#include "speech/QtSpeechEngine.h"

#include "media/Mmedia.h"
#include "speech/SpeechSettings.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>
#include <QTimer>

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
#include <QTextToSpeech>
#else
// Without Qt TextToSpeech no engine is ever listed, so none is ever made.
class QTextToSpeech : public QObject
{
};
#endif

namespace {

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
// Engines that may take long to start (they talk to a daemon they may have
// to spawn first).
bool startsSlowly(const QString &engine)
{
    return engine == QLatin1String("speechd");
}

QStringList englishAccents(QTextToSpeech &speech)
{
    bool us = false;
    bool uk = false;
    const QList<QLocale> locales = speech.availableLocales();
    for (const QLocale &locale : locales) {
        if (locale.language() != QLocale::English)
            continue;
        us = us || locale.territory() == QLocale::UnitedStates;
        uk = uk || locale.territory() == QLocale::UnitedKingdom;
    }
    QStringList found;
    if (us)
        found << SpeechSettings::AccentUS;
    if (uk)
        found << SpeechSettings::AccentUK;
    return found;
}
#endif

} // namespace

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
    if (m_starter) {
        // The engine it is starting is then never adopted. A start that
        // hangs (a stuck speech-dispatcher) is left behind rather than
        // waited for: the thread then ends with the program.
        *m_abandoned = true;
        if (!m_starter->wait(StarterWaitMs))
            m_starter->setParent(nullptr);
        else
            delete m_starter;
        m_starter = nullptr;
    }
    stopRecording();
    dropEngine();
}

QStringList QtSpeechEngine::preferredOrder()
{
    // speech-dispatcher first: it speaks in a process of its own, so nothing
    // that goes wrong in it can take the program down, and it has British
    // English as well. Qt 6.4's Flite engine, which runs inside the program,
    // crashes in its sound output after some words.
    return {QStringLiteral("speechd"), QStringLiteral("flite")};
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
    if (engine == m_engineName && m_speech)
        return englishAccents(*m_speech);
    // speech-dispatcher's connection can hang for good when its daemon is
    // stuck (for instance on a machine without a sound device), so it is
    // never opened on this thread; its eSpeak NG voices cover both accents.
    if (startsSlowly(engine))
        return {SpeechSettings::AccentUS, SpeechSettings::AccentUK};
    // Only the settings dialog asks, once per engine shown.
    QTextToSpeech speech(engine);
    return englishAccents(speech);
#else
    Q_UNUSED(engine)
    return {};
#endif
}

void QtSpeechEngine::configure(const QString &engine, const QString &accent, int rate)
{
    if (engine != m_engineName)
        dropEngine();
    m_engineName = engine;
    m_accent = accent;
    m_rate = rate;
    m_settingsApplied = false;
}

void QtSpeechEngine::ensureEngine()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_speech || m_starter || m_engineName.isEmpty())
        return;
    if (!startsSlowly(m_engineName)) {
        adopt(new QTextToSpeech(m_engineName), m_engineName);
        return;
    }
    const QString engine = m_engineName;
    QThread *gui = thread();
    std::shared_ptr<std::atomic<bool>> abandoned = m_abandoned;
    m_starter = QThread::create([this, engine, gui, abandoned] {
        auto *speech = new QTextToSpeech(engine);
        speech->moveToThread(gui);
        if (*abandoned)
            return;
        QMetaObject::invokeMethod(this, [this, speech, engine] { adopt(speech, engine); }, Qt::QueuedConnection);
    });
    m_starter->setObjectName(QStringLiteral("speech start"));
    m_starter->start();
#endif
}

void QtSpeechEngine::adopt(QTextToSpeech *speech, const QString &engine)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_starter && QThread::currentThread() == thread()) {
        m_starter->wait();
        delete m_starter;
        m_starter = nullptr;
    }
    if (engine != m_engineName || m_speech) {
        // Another engine was chosen while this one started.
        delete speech;
        if (!m_pendingText.isEmpty())
            ensureEngine();
        return;
    }
    m_speech = speech;
    m_speech->setParent(this);
    m_settingsApplied = false;
    connect(m_speech, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) { onState(state); });
    if (!m_pendingText.isEmpty()) {
        const QString text = m_pendingText;
        m_pendingText.clear();
        sayNow(m_pendingUtterance, text);
    }
#else
    Q_UNUSED(speech)
    Q_UNUSED(engine)
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
    const QLocale::Territory territory =
        m_accent == SpeechSettings::AccentUK ? QLocale::UnitedKingdom : QLocale::UnitedStates;
    const QList<QLocale> locales = m_speech->availableLocales();
    QLocale chosen;
    bool haveEnglish = false;
    for (const QLocale &locale : locales) {
        if (locale.language() != QLocale::English)
            continue;
        if (!haveEnglish || locale.territory() == territory) {
            chosen = locale;
            haveEnglish = true;
        }
        if (locale.territory() == territory)
            break;
    }
    if (haveEnglish && m_speech->locale() != chosen)
        m_speech->setLocale(chosen);
    m_speech->setRate(double(m_rate) / SpeechSettings::FastestRate);
#endif
}

void QtSpeechEngine::say(int utterance, const QString &text)
{
    stopRecording();
    ensureEngine();
    if (m_starter || m_stopping) {
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
    if (m_pendingText.isEmpty() || m_starter)
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

#include "speech/DaemonVoice.h"

#include "speech/SpeechSettings.h"

#include <QThread>
#include <QTimer>

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
#include <QTextToSpeech>
#endif

DaemonVoice::DaemonVoice(const QString &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{
    m_watchdog = new QTimer(this);
    m_watchdog->setSingleShot(true);
    connect(m_watchdog, &QTimer::timeout, this, &DaemonVoice::giveUp);
}

DaemonVoice::~DaemonVoice()
{
    if (!m_thread)
        return;
    QThread *thread = m_thread;
    leaveWorkerBehind();
    // A worker that answers closes the connection as its thread ends; one
    // that is stuck is not waited for longer than this: the program ends
    // with its thread still blocked, which the system then tears down.
    if (thread->wait(CloseWaitMs))
        delete thread;
}

void DaemonVoice::setLimits(int answerMs, int retryAfterMs)
{
    m_answerLimitMs = answerMs;
    m_openLimitMs = answerMs;
    m_retryAfterMs = retryAfterMs;
}

void DaemonVoice::configure(const QString &accent, int rate)
{
    m_accent = accent;
    m_rate = rate;
    if (m_worker)
        post([accent, rate](VoiceWorker &worker) { worker.configure(accent, rate); }, m_answerLimitMs);
}

void DaemonVoice::say(int utterance, const QString &text)
{
    if (m_utterance)
        emit utteranceState(m_utterance, SpeechEngine::State::Finished);
    m_utterance = 0;
    m_wanted->store(utterance);
    if (!m_worker) {
        if (!mayRetry()) {
            emit utteranceState(utterance, SpeechEngine::State::Failed);
            return;
        }
        startWorker();
    }
    m_utterance = utterance;
    post([utterance, text](VoiceWorker &worker) { worker.say(utterance, text); }, m_answerLimitMs);
}

void DaemonVoice::stop()
{
    m_wanted->store(0);
    if (m_worker)
        post([](VoiceWorker &worker) { worker.stop(); }, m_answerLimitMs);
    // The daemon's own end of the word may come late or never (no sound
    // device); the word is over now.
    if (m_utterance) {
        const int ended = m_utterance;
        m_utterance = 0;
        emit utteranceState(ended, SpeechEngine::State::Finished);
    }
}

bool DaemonVoice::mayRetry() const
{
    if (m_responding)
        return true;
    return m_leftBehind < MostLeftBehind && m_stuckSince.isValid() && m_stuckSince.elapsed() >= m_retryAfterMs;
}

void DaemonVoice::startWorker()
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("speech daemon"));
    m_worker = new VoiceWorker(m_wanted);
    m_worker->moveToThread(m_thread);
    // The worker (and with it the engine object) is deleted on its own thread
    // when that thread ends, whenever that is.
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &VoiceWorker::answered, this, &DaemonVoice::onAnswered);
    connect(m_worker, &VoiceWorker::utteranceState, this, &DaemonVoice::onWorkerState);
    m_thread->start();
    const QString engine = m_engine;
    post([engine](VoiceWorker &worker) { worker.open(engine); }, m_openLimitMs);
    const QString accent = m_accent;
    const int rate = m_rate;
    post([accent, rate](VoiceWorker &worker) { worker.configure(accent, rate); }, m_answerLimitMs);
}

void DaemonVoice::post(std::function<void(VoiceWorker &)> call, int limitMs)
{
    const quint64 request = ++m_posted;
    if (m_unanswered.isEmpty())
        m_watchdog->start(limitMs);
    m_unanswered.append({request, limitMs});
    VoiceWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, call = std::move(call), request] {
            if (worker->isAbandoned())
                return;
            call(*worker);
            emit worker->answered(request);
        },
        Qt::QueuedConnection);
}

void DaemonVoice::onAnswered(quint64 request)
{
    while (!m_unanswered.isEmpty() && m_unanswered.first().first <= request)
        m_unanswered.removeFirst();
    if (m_unanswered.isEmpty())
        m_watchdog->stop();
    else
        m_watchdog->start(m_unanswered.first().second);
    if (!m_responding) {
        m_responding = true;
        emit respondingChanged(true);
    }
}

void DaemonVoice::onWorkerState(int utterance, SpeechEngine::State state)
{
    if (utterance != m_utterance)
        return;
    if (state != SpeechEngine::State::Speaking)
        m_utterance = 0;
    emit utteranceState(utterance, state);
}

void DaemonVoice::giveUp()
{
    leaveWorkerBehind();
    ++m_leftBehind;
    m_stuckSince.start();
    const bool wasResponding = m_responding;
    m_responding = false;
    if (m_utterance) {
        const int failed = m_utterance;
        m_utterance = 0;
        emit utteranceState(failed, SpeechEngine::State::Failed);
    }
    if (wasResponding)
        emit respondingChanged(false);
}

void DaemonVoice::leaveWorkerBehind()
{
    if (!m_thread)
        return;
    // Nothing it says from now on is wanted; should it ever come back, it
    // finishes its current call, ends its thread and cleans up after itself.
    m_worker->abandon();
    disconnect(m_worker, nullptr, this, nullptr);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->quit();
    m_thread = nullptr;
    m_worker = nullptr;
    m_unanswered.clear();
    m_watchdog->stop();
}

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
namespace {

// The locale among `locales` for an English `accent`, falling back to any
// English one; false when there is no English voice at all.
bool chooseEnglish(const QList<QLocale> &locales, const QString &accent, QLocale *chosen)
{
    const QLocale::Territory territory =
        accent == SpeechSettings::AccentUK ? QLocale::UnitedKingdom : QLocale::UnitedStates;
    bool haveEnglish = false;
    for (const QLocale &locale : locales) {
        if (locale.language() != QLocale::English)
            continue;
        if (!haveEnglish || locale.territory() == territory) {
            *chosen = locale;
            haveEnglish = true;
        }
        if (locale.territory() == territory)
            break;
    }
    return haveEnglish;
}

} // namespace

void VoiceWorker::applyVoice(QTextToSpeech &speech, const QString &accent, int rate)
{
    QLocale chosen;
    if (chooseEnglish(speech.availableLocales(), accent, &chosen) && speech.locale() != chosen)
        speech.setLocale(chosen);
    speech.setRate(double(rate) / SpeechSettings::FastestRate);
}
#endif

VoiceWorker::VoiceWorker(std::shared_ptr<std::atomic<int>> wanted)
    : m_wanted(std::move(wanted))
{
}

VoiceWorker::~VoiceWorker()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    delete m_speech;
#endif
}

QStringList VoiceWorker::englishAccents(const QList<QLocale> &locales)
{
    bool us = false;
    bool uk = false;
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

void VoiceWorker::open(const QString &engine)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_speech)
        return;
    // Connecting may spawn the daemon, which takes a moment.
    m_speech = new QTextToSpeech(engine);
    connect(m_speech, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) { onState(state); });
#else
    Q_UNUSED(engine)
#endif
}

void VoiceWorker::configure(const QString &accent, int rate)
{
    m_accent = accent;
    m_rate = rate;
    m_settingsApplied = false;
}

void VoiceWorker::applySettings()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_settingsApplied || !m_speech)
        return;
    m_settingsApplied = true;
    applyVoice(*m_speech, m_accent, m_rate);
#endif
}

void VoiceWorker::say(int utterance, const QString &text)
{
    // A newer word or a stop came while this one waited for the worker.
    if (m_wanted->load() != utterance) {
        emit utteranceState(utterance, SpeechEngine::State::Finished);
        return;
    }
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (!m_speech) {
        emit utteranceState(utterance, SpeechEngine::State::Failed);
        return;
    }
    applySettings();
    if (m_active)
        emit utteranceState(m_utterance, SpeechEngine::State::Finished);
    m_utterance = utterance;
    m_active = true;
    m_toldSpeaking = false;
    // speech-dispatcher's engine starts in its error state when it has no
    // voice for the program's locale (a C locale, say) and stays there until
    // a word starts, so only an error that say() itself sets means failure.
    const bool erredBefore = m_speech->state() == QTextToSpeech::Error;
    m_speech->say(text);
    // An engine that could not start reports no change; one that was
    // speaking already reports no new start.
    if (m_speech->state() == QTextToSpeech::Error && !erredBefore) {
        m_active = false;
        emit utteranceState(utterance, SpeechEngine::State::Failed);
    } else if (m_speech->state() == QTextToSpeech::Speaking) {
        tellSpeaking();
    }
#else
    Q_UNUSED(text)
    emit utteranceState(utterance, SpeechEngine::State::Failed);
#endif
}

void VoiceWorker::stop()
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (m_speech && m_speech->state() == QTextToSpeech::Speaking)
        m_speech->stop();
#endif
    if (m_active) {
        m_active = false;
        emit utteranceState(m_utterance, SpeechEngine::State::Finished);
    }
}

void VoiceWorker::tellSpeaking()
{
    // The engine's own report and the state seen right after say() may
    // both tell of the same start.
    if (m_toldSpeaking)
        return;
    m_toldSpeaking = true;
    emit utteranceState(m_utterance, SpeechEngine::State::Speaking);
}

void VoiceWorker::onState(int state)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    if (!m_active)
        return;
    switch (QTextToSpeech::State(state)) {
    case QTextToSpeech::Speaking:
        tellSpeaking();
        break;
    case QTextToSpeech::Ready:
        m_active = false;
        emit utteranceState(m_utterance, SpeechEngine::State::Finished);
        break;
    case QTextToSpeech::Error:
        m_active = false;
        emit utteranceState(m_utterance, SpeechEngine::State::Failed);
        break;
    default:
        break;
    }
#else
    Q_UNUSED(state)
#endif
}

#include "speech/QtSpeechEngine.h"

#include "media/Mmedia.h"
#include "speech/SpeechSettings.h"

#include <QThread>
#include <QTimer>

#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
#include <QLocale>
#include <QTextToSpeech>
#endif

// Lives on the speech thread and owns the QTextToSpeech object there.
class SpeechWorker : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE void configure(const QString &engine, const QString &accent, int rate)
    {
        if (engine != m_engineName)
            dropEngine();
        m_engineName = engine;
        m_accent = accent;
        m_rate = rate;
        m_settingsApplied = false;
    }

    Q_INVOKABLE QStringList accents(const QString &engine)
    {
        QStringList found;
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
        // Another engine than the one in use is started just for the look.
        std::unique_ptr<QTextToSpeech> other;
        QTextToSpeech *speech = nullptr;
        if (engine == m_engineName) {
            ensureEngine();
            speech = m_speech;
        } else {
            other = std::make_unique<QTextToSpeech>(engine);
            speech = other.get();
        }
        if (!speech)
            return found;
        const QList<QLocale> locales = speech->availableLocales();
        for (const QLocale &locale : locales) {
            if (locale.language() != QLocale::English)
                continue;
            if (locale.territory() == QLocale::UnitedStates && !found.contains(SpeechSettings::AccentUS))
                found << SpeechSettings::AccentUS;
            if (locale.territory() == QLocale::UnitedKingdom && !found.contains(SpeechSettings::AccentUK))
                found << SpeechSettings::AccentUK;
        }
        found.sort();
        // "UK" sorts after "US" only by chance; keep the US voice first.
        if (found.size() == 2 && found.first() == SpeechSettings::AccentUK)
            found.swapItemsAt(0, 1);
#else
        Q_UNUSED(engine)
#endif
        return found;
    }

    Q_INVOKABLE void say(int utterance, const QString &text)
    {
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
        ensureEngine();
        if (!m_speech) {
            emit utteranceState(utterance, SpeechEngine::State::Failed);
            return;
        }
        applySettings();
        m_utterance = utterance;
        m_active = true;
        m_speech->say(text);
        // An engine that was speaking already reports no new start.
        if (m_speech->state() == QTextToSpeech::Speaking)
            emit utteranceState(utterance, SpeechEngine::State::Speaking);
        else if (m_speech->state() == QTextToSpeech::Error)
            failed();
#else
        emit utteranceState(utterance, SpeechEngine::State::Failed);
        Q_UNUSED(text)
#endif
    }

    Q_INVOKABLE void stop()
    {
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
        m_active = false;
        if (m_speech && m_speech->state() == QTextToSpeech::Speaking)
            m_speech->stop();
#endif
    }

    Q_INVOKABLE void shutDown()
    {
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
        // Gone on its own thread, before that thread ends.
        delete m_speech;
        m_speech = nullptr;
#endif
    }

signals:
    void utteranceState(int utterance, SpeechEngine::State state);

private:
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    void ensureEngine()
    {
        if (m_speech || m_engineName.isEmpty())
            return;
        m_speech = new QTextToSpeech(m_engineName, this);
        m_settingsApplied = false;
        connect(m_speech, &QTextToSpeech::stateChanged, this, &SpeechWorker::onState);
    }

    void applySettings()
    {
        if (m_settingsApplied)
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
    }

    void onState(QTextToSpeech::State state)
    {
        if (!m_active)
            return;
        switch (state) {
        case QTextToSpeech::Speaking:
            emit utteranceState(m_utterance, SpeechEngine::State::Speaking);
            break;
        case QTextToSpeech::Ready:
            m_active = false;
            emit utteranceState(m_utterance, SpeechEngine::State::Finished);
            break;
        case QTextToSpeech::Error:
            failed();
            break;
        default:
            break;
        }
    }

    void failed()
    {
        m_active = false;
        emit utteranceState(m_utterance, SpeechEngine::State::Failed);
        // An engine in its error state says nothing more; the next word gets
        // a fresh one (the audio device may be back by then).
        dropEngine();
    }

    QTextToSpeech *m_speech = nullptr;
#endif

    void dropEngine()
    {
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
        if (m_speech) {
            m_speech->disconnect(this);
            m_speech->deleteLater();
            m_speech = nullptr;
        }
#endif
    }

    QString m_engineName;
    QString m_accent;
    int m_rate = 0;
    bool m_settingsApplied = false;
    int m_utterance = 0;
    bool m_active = false;
};

QtSpeechEngine::QtSpeechEngine(QObject *parent)
    : SpeechEngine(parent)
{
#ifdef LEXIVANE_HAVE_TEXTTOSPEECH
    const QStringList installed = QTextToSpeech::availableEngines();
    for (const QString &name : preferredOrder()) {
        if (installed.contains(name))
            m_engines << name;
    }
    for (const QString &name : installed) {
        // The engine that only forwards to a mock is of no use to a learner.
        if (!m_engines.contains(name) && name != QLatin1String("mock"))
            m_engines << name;
    }
#endif
    m_recordingPoll = new QTimer(this);
    m_recordingPoll->setInterval(40);
    connect(m_recordingPoll, &QTimer::timeout, this, &QtSpeechEngine::checkRecording);
}

QtSpeechEngine::~QtSpeechEngine()
{
    if (m_thread) {
        QMetaObject::invokeMethod(m_worker, "shutDown", Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
        delete m_worker;
    }
    stopRecording();
}

QStringList QtSpeechEngine::preferredOrder()
{
    return {QStringLiteral("flite"), QStringLiteral("speechd")};
}

QStringList QtSpeechEngine::engines() const
{
    return m_engines;
}

void QtSpeechEngine::startWorker()
{
    if (m_thread)
        return;
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("speech"));
    m_worker = new SpeechWorker;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &SpeechWorker::utteranceState, this, &SpeechEngine::utteranceState, Qt::QueuedConnection);
    m_thread->start();
}

QStringList QtSpeechEngine::accents(const QString &engine)
{
    if (!m_engines.contains(engine))
        return {};
    startWorker();
    QStringList found;
    QMetaObject::invokeMethod(m_worker, "accents", Qt::BlockingQueuedConnection, Q_RETURN_ARG(QStringList, found),
                              Q_ARG(QString, engine));
    return found;
}

void QtSpeechEngine::configure(const QString &engine, const QString &accent, int rate)
{
    startWorker();
    QMetaObject::invokeMethod(m_worker, "configure", Qt::QueuedConnection, Q_ARG(QString, engine),
                              Q_ARG(QString, accent), Q_ARG(int, rate));
}

void QtSpeechEngine::say(int utterance, const QString &text)
{
    stopRecording();
    startWorker();
    QMetaObject::invokeMethod(m_worker, "say", Qt::QueuedConnection, Q_ARG(int, utterance), Q_ARG(QString, text));
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
    stopRecording();
    emit utteranceState(m_recordingUtterance, State::Finished);
}

void QtSpeechEngine::stopRecording()
{
    m_recordingPoll->stop();
    if (m_recordingPlaying && m_media) {
        m_media->mmStop();
        m_media->mmClose();
    }
    m_recordingPlaying = false;
}

void QtSpeechEngine::stop()
{
    stopRecording();
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, "stop", Qt::QueuedConnection);
}

#include "QtSpeechEngine.moc"

#include "media/MediaDevice.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>
#include <QVideoWidget>

MediaDevice::MediaDevice(const QString &alias, const QString &path, Kind kind, QObject *parent)
    : QObject(parent)
    , m_alias(alias)
    , m_path(path)
    , m_kind(kind)
{
    // Without an audio output the player cannot play at all, even on a
    // machine with no sound card; there GStreamer's automatic sink falls back
    // to a silent one that still keeps time.
    m_player.setAudioOutput(&m_output);

    // Video needs a widget, and widgets need a QApplication. Without one an
    // AVI file still plays its sound.
    if (m_kind == Kind::AviVideo && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        m_window = std::make_unique<QVideoWidget>();
        m_window->setWindowTitle(QFileInfo(m_path).fileName());
        m_window->resize(320, 240);
        m_player.setVideoOutput(m_window.get());
    }

    connect(&m_player, &QMediaPlayer::mediaStatusChanged, this, &MediaDevice::onMediaStatus);
    connect(&m_player, &QMediaPlayer::playbackStateChanged, this, &MediaDevice::onPlaybackState);
    connect(&m_player, &QMediaPlayer::errorOccurred, this, &MediaDevice::onError);

    m_player.setSource(QUrl::fromLocalFile(m_path));
}

MediaDevice::~MediaDevice()
{
    // Disconnect first: stopping the player while it is being torn down must
    // not call back into a half-destroyed device.
    disconnect(&m_player, nullptr, this, nullptr);
    m_player.stop();
    m_player.setVideoOutput(static_cast<QObject *>(nullptr));
}

qint64 MediaDevice::length() const
{
    return m_mode == Mode::NotReady ? 0 : qMax<qint64>(0, m_player.duration());
}

qint64 MediaDevice::position() const
{
    return m_mode == Mode::NotReady ? 0 : qMax<qint64>(0, m_player.position());
}

bool MediaDevice::play()
{
    if (m_mode == Mode::NotReady)
        return false;
    if (m_mode == Mode::Playing)
        return true;
    // Played to the end: a new play starts over rather than ending at once.
    const qint64 duration = m_player.duration();
    if (m_player.mediaStatus() == QMediaPlayer::EndOfMedia || (duration > 0 && m_player.position() >= duration))
        m_player.setPosition(0);
    setMode(Mode::Playing);
    m_player.play();
    if (m_window)
        m_window->show();
    return true;
}

void MediaDevice::pause()
{
    if (m_mode != Mode::Playing)
        return;
    setMode(Mode::Paused);
    m_player.pause();
}

void MediaDevice::stop()
{
    if (m_mode != Mode::Playing && m_mode != Mode::Paused)
        return;
    setMode(Mode::Stopped);
    // pause(), not stop(): QMediaPlayer::stop() would rewind to the start.
    m_player.pause();
}

bool MediaDevice::seek(qint64 milliseconds)
{
    if (m_mode == Mode::NotReady)
        return false;
    if (milliseconds < 0 || milliseconds > length())
        return false;
    if (m_mode == Mode::Playing || m_mode == Mode::Paused)
        stop();
    // A player that ran to the end sits in its stopped state; bring it to
    // paused so that the new position sticks for the next play.
    if (m_player.playbackState() == QMediaPlayer::StoppedState)
        m_player.pause();
    m_player.setPosition(milliseconds);
    return true;
}

QString MediaDevice::modeWord(Mode mode)
{
    switch (mode) {
    case Mode::NotReady:
        return QStringLiteral("not ready");
    case Mode::Stopped:
        return QStringLiteral("stopped");
    case Mode::Playing:
        return QStringLiteral("playing");
    case Mode::Paused:
        return QStringLiteral("paused");
    }
    return {};
}

void MediaDevice::setMode(Mode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}

void MediaDevice::onMediaStatus(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::LoadedMedia:
        if (m_mode == Mode::NotReady && !m_failed) {
            setMode(Mode::Stopped);
            emit loadFinished();
        }
        break;
    case QMediaPlayer::InvalidMedia:
        if (m_mode == Mode::NotReady) {
            m_failed = true;
            emit loadFinished();
        } else {
            // A file that loaded but cannot be played (a missing decoder
            // shows up only once the pipeline runs).
            setMode(Mode::Stopped);
        }
        break;
    case QMediaPlayer::EndOfMedia:
        if (m_mode == Mode::Playing)
            setMode(Mode::Stopped);
        break;
    default:
        break;
    }
}

void MediaDevice::onPlaybackState(QMediaPlayer::PlaybackState state)
{
    // The player stops by itself at the end of the file or on an error.
    if (state == QMediaPlayer::StoppedState && m_mode == Mode::Playing)
        setMode(Mode::Stopped);
}

void MediaDevice::onError(QMediaPlayer::Error error)
{
    if (error == QMediaPlayer::NoError)
        return;
    if (m_mode == Mode::NotReady) {
        if (!m_failed) {
            m_failed = true;
            emit loadFinished();
        }
    } else if (m_mode == Mode::Playing) {
        setMode(Mode::Stopped);
    }
}

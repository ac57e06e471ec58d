#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <QString>

#include <memory>

class QVideoWidget;

// One open media device of the device table: a file played through Qt
// Multimedia, in milliseconds.
//
// The device keeps its own mode rather than echoing QMediaPlayer's state,
// because the two disagree on purpose: "stopped" here keeps the position
// (the player is merely held paused), while QMediaPlayer::stop() rewinds.
class MediaDevice : public QObject
{
    Q_OBJECT
public:
    enum class Kind { WaveAudio, AviVideo, Sequencer };
    enum class Mode { NotReady, Stopped, Playing, Paused };

    MediaDevice(const QString &alias, const QString &path, Kind kind, QObject *parent = nullptr);
    ~MediaDevice() override;

    QString alias() const { return m_alias; }
    QString path() const { return m_path; }
    Kind kind() const { return m_kind; }
    Mode mode() const { return m_mode; }
    // True once the player has refused the file; the device then stays
    // "not ready" for good.
    bool failed() const { return m_failed; }

    qint64 length() const;
    qint64 position() const;

    // Plays from the current position; from the start when playback has
    // reached the end. Returns false when the device is not ready.
    bool play();
    void pause();
    // Halts playback and keeps the position.
    void stop();
    // Moves to `milliseconds` and leaves the device stopped there. Returns
    // false when the position lies outside 0..length.
    bool seek(qint64 milliseconds);

    // The word the status query reports for a mode.
    static QString modeWord(Mode mode);

signals:
    void modeChanged(MediaDevice::Mode mode);
    // Loading finished, either way: mode() is Stopped or failed() is true.
    void loadFinished();

private:
    void setMode(Mode mode);
    void onMediaStatus(QMediaPlayer::MediaStatus status);
    void onPlaybackState(QMediaPlayer::PlaybackState state);
    void onError(QMediaPlayer::Error error);

    QString m_alias;
    QString m_path;
    Kind m_kind;
    Mode m_mode = Mode::NotReady;
    bool m_failed = false;
    QMediaPlayer m_player;
    QAudioOutput m_output;
    std::unique_ptr<QVideoWidget> m_window;
};

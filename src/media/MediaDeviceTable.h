#pragma once

#include "media/MediaCommandInterface.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class MediaDevice;

// The program's own media command layer: parses command strings, keeps the
// open devices by alias and plays them through Qt Multimedia.
//
// Commands (words are matched without regard to case; a file name with
// blanks goes in double quotes):
//   open <file> alias <alias> type waveaudio|avivideo|sequencer [wait]
//   close <alias>
//   play <alias> [wait]
//   pause <alias>
//   stop <alias>
//   seek <alias> to <milliseconds>|start|end
//   status <alias> length|position|mode
// Any command may end in "wait"; only open and play wait for anything.
// Lengths and positions are whole milliseconds. An error gives a non-zero
// code from MediaError and an empty reply.
//
// "open ... wait" and "play ... wait" run a local event loop until the file
// has loaded or playback has ended, so other events keep being handled.
class MediaDeviceTable : public QObject, public MediaCommandInterface
{
    Q_OBJECT
public:
    explicit MediaDeviceTable(QObject *parent = nullptr);
    ~MediaDeviceTable() override;

    // The table that `Mmedia` objects share by default, created on first use
    // and destroyed when the application object goes away. Null when there
    // is no application object.
    static MediaDeviceTable *shared();

    quint32 sendString(const QByteArray &command, char *reply, quint32 replyLength) override;

    // The same at text level, for callers inside the program.
    struct Result {
        quint32 code = MediaError::None;
        QString reply;
    };
    Result execute(const QString &command);

    int deviceCount() const { return int(m_devices.size()); }

    // How long "open ... wait" waits for the file to load before giving up.
    void setOpenTimeout(int milliseconds) { m_openTimeoutMs = milliseconds; }
    // How long "play ... wait" tolerates a position that does not move
    // before it stops the device and returns.
    void setStallTimeout(int milliseconds) { m_stallTimeoutMs = milliseconds; }

    // Splits a command into words; a word that starts with a double quote
    // runs to the next double quote, which are both dropped. Returns false
    // for a quote without its partner.
    static bool splitWords(const QString &command, QStringList *words);

private:
    Result open(const QStringList &words);
    Result close(const QStringList &words);
    Result play(const QStringList &words);
    Result pauseOrStop(const QStringList &words, bool pause);
    Result seek(const QStringList &words);
    Result status(const QStringList &words);

    MediaDevice *find(const QString &alias) const;
    bool waitForLoad(MediaDevice *device);
    quint32 waitForPlaybackEnd(MediaDevice *device);

    // Keyed by the lower-cased alias: aliases do not depend on case.
    std::map<QString, std::unique_ptr<MediaDevice>> m_devices;
    int m_openTimeoutMs = 10000;
    int m_stallTimeoutMs = 5000;
};

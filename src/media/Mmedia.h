#pragma once

#include <QString>

#include <functional>

class MediaCommandInterface;

// Plays one sound or video file at a time by sending media command strings.
//
// A file is opened under a private alias made of the last three characters of
// its name and the current minute (for example "wav7"), with the device type
// chosen by the extension (WAV, AVI, MID; anything else opens nothing). All
// further commands name that alias. Result codes are never looked at: a file
// that will not open leaves the object looking open, and its commands then
// simply fail at the device.
//
// Two objects that open files with the same extension in the same minute get
// the same alias; the second open is refused by the device and the second
// object then drives the first object's device. Callers may rely on the alias
// rule, so it is kept.
//
// Nothing closes the device when the object is destroyed.
class Mmedia
{
public:
    using MinuteClock = std::function<int()>;

    // `commands` is where the command strings go; null means the program's
    // shared media device table (which needs a running Qt application).
    // `minuteOfHour` gives the minute used in the alias; empty means the
    // wall clock.
    explicit Mmedia(MediaCommandInterface *commands = nullptr, MinuteClock minuteOfHour = {});

    void mmOpen(const QString &fileName);
    void mmClose();
    void mmPause();
    void mmPlay();
    void mmStop();
    void mmSeek(float position);

    // The open file as it was passed to mmOpen; empty when nothing is open.
    QString Filename() const;
    // Opens `fileName` (closing any open device first); stores nothing itself.
    void setFilename(const QString &fileName);

    bool Wait() const;
    void setWait(bool wait);

    // Length and position in the device's default unit (milliseconds here);
    // 0 when nothing is open.
    float Length();
    float Position();
    void setPosition(float position);

    // The device's mode word ("playing", "paused", "stopped", "not ready");
    // empty when nothing is open.
    QString Status();

private:
    void send(const QString &command);
    QString query(const QString &command);
    int currentMinute() const;

    MediaCommandInterface *m_commands = nullptr;
    MinuteClock m_minuteOfHour;
    QString m_alias;
    QString m_fileName;
    bool m_wait = false;
};

// The numeric value at the start of `text`, the way a leading-number parse
// reads it: blanks, an optional sign, digits with an optional decimal point
// and an optional exponent; anything after is ignored, and text that does not
// start with a number gives 0.
double leadingNumber(const QString &text);

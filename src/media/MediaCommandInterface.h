#pragma once

#include <QByteArray>
#include <QtGlobal>

// The one door through which media commands leave the program: a command
// string in, a result code and a reply text out. It has the shape of the
// host's textual media command interface, so `Mmedia` can be driven by the
// real device table or, in tests, by a recorder.
//
// The command is 8-bit text in the ANSI code page (GBK). The reply is written
// into `reply` as NUL-terminated GBK text of at most `replyLength - 1` bytes;
// with `replyLength` 0 (or a null buffer) nothing is written. On an error the
// reply is empty.
class MediaCommandInterface
{
public:
    virtual ~MediaCommandInterface() = default;

    virtual quint32 sendString(const QByteArray &command, char *reply, quint32 replyLength) = 0;
};

// Result codes of `sendString`. Callers may ignore them; nothing in the
// program depends on the exact values except that success is 0.
namespace MediaError {
enum : quint32 {
    None = 0,
    UnrecognizedCommand,   // first word is not a command we know
    UnrecognizedKeyword,   // a word after the device name that the command does not take
    MissingParameter,      // the command is cut short
    BadNumber,             // a position that is not a number
    UnterminatedQuote,     // a double quote without its partner
    InvalidDeviceName,     // no open device has this alias
    DuplicateAlias,        // open with an alias that is already in use
    UnsupportedDeviceType, // TYPE other than Waveaudio, AviVideo, Sequencer
    FileNotFound,          // the file to open does not exist
    CannotLoad,            // the file exists but the media framework refused it
    DeviceNotReady,        // the device is still loading, or failed to load
    OutOfRange,            // seek before the start or beyond the end
    PlaybackStalled,       // "play ... wait" saw no progress and gave up
    ReplyTooLong,          // the reply was cut to fit the buffer
    NoApplication,         // no Qt application object exists to play with
};
} // namespace MediaError

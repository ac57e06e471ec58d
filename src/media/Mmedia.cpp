#include "media/Mmedia.h"

#include "media/MediaCommandInterface.h"
#include "media/MediaDeviceTable.h"
#include "text/TextCodec.h"

#include <QTime>

namespace {

// Replies to status queries are read through a buffer of this many bytes.
constexpr quint32 kReplyBufferLength = 255;

// Device type for an upper-cased three-letter extension; empty when the
// extension is not one we can open.
QString deviceTypeFor(const QString &extension)
{
    if (extension == QLatin1String("WAV"))
        return QStringLiteral("Waveaudio");
    if (extension == QLatin1String("AVI"))
        return QStringLiteral("AviVideo");
    if (extension == QLatin1String("MID"))
        return QStringLiteral("Sequencer");
    return {};
}

} // namespace

Mmedia::Mmedia(MediaCommandInterface *commands, MinuteClock minuteOfHour)
    : m_commands(commands)
    , m_minuteOfHour(std::move(minuteOfHour))
{
}

void Mmedia::mmOpen(const QString &fileName)
{
    // Close first, so an open device goes away even when the new file turns
    // out to be one we cannot open.
    if (!m_alias.isEmpty())
        mmClose();

    const QString extension = fileName.right(3);
    const QString type = deviceTypeFor(extension.toUpper());
    if (type.isEmpty())
        return;

    m_alias = extension + QString::number(currentMinute());
    m_fileName = fileName;

    // A blank would end the file name for the command parser.
    const QString file = fileName.contains(QLatin1Char(' '))
        ? QLatin1Char('"') + fileName + QLatin1Char('"')
        : fileName;
    send(QLatin1String("Open ") + file + QLatin1String(" ALIAS ") + m_alias + QLatin1String(" TYPE ") + type
         + QLatin1String(" wait"));
}

void Mmedia::mmClose()
{
    if (m_alias.isEmpty())
        return;
    send(QLatin1String("Close ") + m_alias);
    m_alias.clear();
    m_fileName.clear();
}

void Mmedia::mmPause()
{
    if (!m_alias.isEmpty())
        send(QLatin1String("Pause ") + m_alias);
}

void Mmedia::mmPlay()
{
    if (m_alias.isEmpty())
        return;
    if (m_wait)
        send(QLatin1String("Play ") + m_alias + QLatin1String(" wait"));
    else
        send(QLatin1String("Play ") + m_alias);
}

void Mmedia::mmStop()
{
    if (!m_alias.isEmpty())
        send(QLatin1String("Stop ") + m_alias);
}

void Mmedia::mmSeek(float position)
{
    // Sent even when closed: the device table answers an empty alias with an
    // error, which is ignored like every other result.
    send(QLatin1String("Seek ") + m_alias + QLatin1String(" to ") + QString::number(double(position), 'g', 7));
}

QString Mmedia::Filename() const
{
    return m_fileName;
}

void Mmedia::setFilename(const QString &fileName)
{
    mmOpen(fileName);
}

bool Mmedia::Wait() const
{
    return m_wait;
}

void Mmedia::setWait(bool wait)
{
    m_wait = wait;
}

float Mmedia::Length()
{
    if (m_alias.isEmpty())
        return 0;
    return float(leadingNumber(query(QLatin1String("Status ") + m_alias + QLatin1String(" length"))));
}

float Mmedia::Position()
{
    if (m_alias.isEmpty())
        return 0;
    return float(leadingNumber(query(QLatin1String("Status ") + m_alias + QLatin1String(" position"))));
}

void Mmedia::setPosition(float position)
{
    mmSeek(position);
}

QString Mmedia::Status()
{
    if (m_alias.isEmpty())
        return {};
    return query(QLatin1String("Status ") + m_alias + QLatin1String(" mode"));
}

void Mmedia::send(const QString &command)
{
    MediaCommandInterface *commands = m_commands ? m_commands : MediaDeviceTable::shared();
    if (commands)
        commands->sendString(TextCodec::encode(command, TextCodec::Encoding::Gbk), nullptr, 0);
}

QString Mmedia::query(const QString &command)
{
    MediaCommandInterface *commands = m_commands ? m_commands : MediaDeviceTable::shared();
    if (!commands)
        return {};
    // Zero-filled, so a device that writes nothing leaves an empty reply.
    char buffer[kReplyBufferLength] = {};
    commands->sendString(TextCodec::encode(command, TextCodec::Encoding::Gbk), buffer, kReplyBufferLength);
    const QByteArrayView bytes(buffer, qstrnlen(buffer, kReplyBufferLength));
    return TextCodec::decode(bytes, TextCodec::Encoding::Gbk);
}

int Mmedia::currentMinute() const
{
    return m_minuteOfHour ? m_minuteOfHour() : QTime::currentTime().minute();
}

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    const auto isDigit = [&](qsizetype k) { return k < n && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('9'); };
    qsizetype digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when digits follow it ("12e" is 12).
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype k = i + 1;
        if (k < n && (text[k] == QLatin1Char('+') || text[k] == QLatin1Char('-')))
            ++k;
        if (isDigit(k)) {
            while (isDigit(k))
                ++k;
            i = k;
        }
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0;
}

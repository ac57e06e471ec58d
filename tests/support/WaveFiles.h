#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace WaveFiles {

// A mono 16-bit 8 kHz WAV file holding a 440 Hz tone.
inline QByteArray sineWave(int milliseconds)
{
    const quint32 rate = 8000;
    const quint32 samples = rate * quint32(milliseconds) / 1000;
    QByteArray wav(44 + 2 * samples, '\0');
    char *h = wav.data();
    std::memcpy(h, "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24); // PCM, mono
    qToLittleEndian<quint32>(36 + 2 * samples, h + 4);
    qToLittleEndian<quint32>(rate, h + 24);
    qToLittleEndian<quint32>(rate * 2, h + 28);
    qToLittleEndian<quint16>(2, h + 32);  // bytes per frame
    qToLittleEndian<quint16>(16, h + 34); // bits per sample
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(2 * samples, h + 40);
    for (quint32 i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate)), h + 44 + 2 * i);
    return wav;
}

} // namespace WaveFiles

#include "media/MediaDeviceTable.h"

#include "media/MediaDevice.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <cstring>

namespace {

using Result = MediaDeviceTable::Result;

Result failure(quint32 code)
{
    return {code, QString()};
}

Result success(const QString &reply = QString())
{
    return {MediaError::None, reply};
}

bool isWord(const QString &word, const char *expected)
{
    return word.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

QString keyFor(const QString &alias)
{
    return alias.toLower();
}

// How often "play ... wait" looks at the position to notice a stall.
constexpr int kStallCheckIntervalMs = 250;

QPointer<MediaDeviceTable> &sharedTable()
{
    static QPointer<MediaDeviceTable> table;
    return table;
}

// Runs at the start of the application object's destructor, while Qt
// Multimedia can still tear its players down cleanly.
void deleteSharedTable()
{
    delete sharedTable().data();
}

} // namespace

MediaDeviceTable::MediaDeviceTable(QObject *parent)
    : QObject(parent)
{
}

MediaDeviceTable::~MediaDeviceTable() = default;

MediaDeviceTable *MediaDeviceTable::shared()
{
    QPointer<MediaDeviceTable> &table = sharedTable();
    if (!table && QCoreApplication::instance()) {
        table = new MediaDeviceTable;
        qAddPostRoutine(deleteSharedTable);
    }
    return table.data();
}

quint32 MediaDeviceTable::sendString(const QByteArray &command, char *reply, quint32 replyLength)
{
    const Result result = execute(TextCodec::decode(command, TextCodec::Encoding::Gbk));
    if (!reply || replyLength == 0)
        return result.code;
    if (result.code != MediaError::None) {
        reply[0] = '\0';
        return result.code;
    }
    const QByteArray bytes = TextCodec::encode(result.reply, TextCodec::Encoding::Gbk);
    const QByteArray fitted = TextCodec::truncateToCharacters(bytes, qsizetype(replyLength) - 1, TextCodec::Encoding::Gbk);
    std::memcpy(reply, fitted.constData(), size_t(fitted.size()));
    reply[fitted.size()] = '\0';
    return fitted.size() < bytes.size() ? quint32(MediaError::ReplyTooLong) : quint32(MediaError::None);
}

MediaDeviceTable::Result MediaDeviceTable::execute(const QString &command)
{
    if (!QCoreApplication::instance())
        return failure(MediaError::NoApplication);

    QStringList words;
    if (!splitWords(command, &words))
        return failure(MediaError::UnterminatedQuote);
    if (words.isEmpty())
        return failure(MediaError::UnrecognizedCommand);

    const QString verb = words.first();
    if (isWord(verb, "open"))
        return open(words);
    if (isWord(verb, "close"))
        return close(words);
    if (isWord(verb, "play"))
        return play(words);
    if (isWord(verb, "pause"))
        return pauseOrStop(words, true);
    if (isWord(verb, "stop"))
        return pauseOrStop(words, false);
    if (isWord(verb, "seek"))
        return seek(words);
    if (isWord(verb, "status"))
        return status(words);
    return failure(MediaError::UnrecognizedCommand);
}

bool MediaDeviceTable::splitWords(const QString &command, QStringList *words)
{
    words->clear();
    const qsizetype n = command.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && command[i].isSpace())
            ++i;
        if (i >= n)
            return true;
        if (command[i] == QLatin1Char('"')) {
            const qsizetype close = command.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                return false;
            words->append(command.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !command[i].isSpace())
                ++i;
            words->append(command.mid(start, i - start));
        }
    }
}

MediaDeviceTable::Result MediaDeviceTable::open(const QStringList &words)
{
    if (words.size() < 2)
        return failure(MediaError::MissingParameter);
    const QString &file = words.at(1);
    QString alias;
    QString type;
    bool wait = false;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (isWord(word, "wait")) {
            wait = true;
        } else if (isWord(word, "alias") || isWord(word, "type")) {
            if (i + 1 >= words.size())
                return failure(MediaError::MissingParameter);
            (isWord(word, "alias") ? alias : type) = words.at(++i);
        } else {
            return failure(MediaError::UnrecognizedKeyword);
        }
    }
    if (alias.isEmpty() || type.isEmpty())
        return failure(MediaError::MissingParameter);

    MediaDevice::Kind kind;
    if (isWord(type, "waveaudio"))
        kind = MediaDevice::Kind::WaveAudio;
    else if (isWord(type, "avivideo"))
        kind = MediaDevice::Kind::AviVideo;
    else if (isWord(type, "sequencer"))
        kind = MediaDevice::Kind::Sequencer;
    else
        return failure(MediaError::UnsupportedDeviceType);

    const QString key = keyFor(alias);
    if (m_devices.count(key))
        return failure(MediaError::DuplicateAlias);

    const QFileInfo info(file);
    if (!info.isFile())
        return failure(MediaError::FileNotFound);

    auto owned = std::make_unique<MediaDevice>(alias, info.absoluteFilePath(), kind);
    MediaDevice *device = owned.get();
    m_devices.emplace(key, std::move(owned));
    if (!wait)
        return success();

    if (waitForLoad(device))
        return success();
    // Gone already if a close arrived while we waited; otherwise drop it.
    const auto it = m_devices.find(key);
    if (it != m_devices.end() && it->second.get() == device)
        m_devices.erase(it);
    return failure(MediaError::CannotLoad);
}

MediaDeviceTable::Result MediaDeviceTable::close(const QStringList &words)
{
    if (words.size() < 2)
        return failure(MediaError::MissingParameter);
    for (qsizetype i = 2; i < words.size(); ++i) {
        if (!isWord(words.at(i), "wait"))
            return failure(MediaError::UnrecognizedKeyword);
    }
    const auto it = m_devices.find(keyFor(words.at(1)));
    if (it == m_devices.end())
        return failure(MediaError::InvalidDeviceName);
    // Out of the table before it dies, so nothing reaches it through the
    // table while it is being destroyed.
    std::unique_ptr<MediaDevice> device = std::move(it->second);
    m_devices.erase(it);
    device.reset();
    return success();
}

MediaDeviceTable::Result MediaDeviceTable::play(const QStringList &words)
{
    if (words.size() < 2)
        return failure(MediaError::MissingParameter);
    bool wait = false;
    for (qsizetype i = 2; i < words.size(); ++i) {
        if (!isWord(words.at(i), "wait"))
            return failure(MediaError::UnrecognizedKeyword);
        wait = true;
    }
    MediaDevice *device = find(words.at(1));
    if (!device)
        return failure(MediaError::InvalidDeviceName);
    if (!device->play())
        return failure(MediaError::DeviceNotReady);
    if (!wait)
        return success();
    const quint32 code = waitForPlaybackEnd(device);
    return code == MediaError::None ? success() : failure(code);
}

MediaDeviceTable::Result MediaDeviceTable::pauseOrStop(const QStringList &words, bool pause)
{
    if (words.size() < 2)
        return failure(MediaError::MissingParameter);
    for (qsizetype i = 2; i < words.size(); ++i) {
        if (!isWord(words.at(i), "wait"))
            return failure(MediaError::UnrecognizedKeyword);
    }
    MediaDevice *device = find(words.at(1));
    if (!device)
        return failure(MediaError::InvalidDeviceName);
    if (device->mode() == MediaDevice::Mode::NotReady)
        return failure(MediaError::DeviceNotReady);
    if (pause)
        device->pause();
    else
        device->stop();
    return success();
}

MediaDeviceTable::Result MediaDeviceTable::seek(const QStringList &words)
{
    // seek <alias> to <position> [wait]
    if (words.size() < 4)
        return failure(MediaError::MissingParameter);
    if (!isWord(words.at(2), "to"))
        return failure(MediaError::UnrecognizedKeyword);
    for (qsizetype i = 4; i < words.size(); ++i) {
        if (!isWord(words.at(i), "wait"))
            return failure(MediaError::UnrecognizedKeyword);
    }
    MediaDevice *device = find(words.at(1));
    if (!device)
        return failure(MediaError::InvalidDeviceName);
    if (device->mode() == MediaDevice::Mode::NotReady)
        return failure(MediaError::DeviceNotReady);

    const QString &target = words.at(3);
    qint64 milliseconds = 0;
    if (isWord(target, "start")) {
        milliseconds = 0;
    } else if (isWord(target, "end")) {
        milliseconds = device->length();
    } else {
        bool ok = false;
        const double value = target.toDouble(&ok);
        if (!ok)
            return failure(MediaError::BadNumber);
        // Positions are whole milliseconds; a fraction is dropped.
        if (value < 0 || value > double(device->length()))
            return failure(MediaError::OutOfRange);
        milliseconds = qint64(value);
    }
    if (!device->seek(milliseconds))
        return failure(MediaError::OutOfRange);
    return success();
}

MediaDeviceTable::Result MediaDeviceTable::status(const QStringList &words)
{
    // status <alias> <item> [wait]
    if (words.size() < 3)
        return failure(MediaError::MissingParameter);
    for (qsizetype i = 3; i < words.size(); ++i) {
        if (!isWord(words.at(i), "wait"))
            return failure(MediaError::UnrecognizedKeyword);
    }
    MediaDevice *device = find(words.at(1));
    if (!device)
        return failure(MediaError::InvalidDeviceName);
    const QString &item = words.at(2);
    if (isWord(item, "length"))
        return success(QString::number(device->length()));
    if (isWord(item, "position"))
        return success(QString::number(device->position()));
    if (isWord(item, "mode"))
        return success(MediaDevice::modeWord(device->mode()));
    return failure(MediaError::UnrecognizedKeyword);
}

MediaDevice *MediaDeviceTable::find(const QString &alias) const
{
    const auto it = m_devices.find(keyFor(alias));
    return it == m_devices.end() ? nullptr : it->second.get();
}

bool MediaDeviceTable::waitForLoad(MediaDevice *device)
{
    QPointer<MediaDevice> guard(device);
    const auto loaded = [&] { return guard && guard->mode() != MediaDevice::Mode::NotReady; };
    const auto finished = [&] { return !guard || loaded() || guard->failed(); };
    if (!finished()) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(device, &MediaDevice::loadFinished, &loop, &QEventLoop::quit);
        connect(device, &QObject::destroyed, &loop, &QEventLoop::quit);
        timeout.start(m_openTimeoutMs);
        loop.exec();
    }
    return loaded();
}

quint32 MediaDeviceTable::waitForPlaybackEnd(MediaDevice *device)
{
    QPointer<MediaDevice> guard(device);
    const auto playing = [&] { return guard && guard->mode() == MediaDevice::Mode::Playing; };
    if (!playing())
        return MediaError::None;

    QEventLoop loop;
    connect(device, &MediaDevice::modeChanged, &loop, [&] {
        if (!playing())
            loop.quit();
    });
    connect(device, &QObject::destroyed, &loop, &QEventLoop::quit);

    // A sink that never consumes anything would hold us here for ever; a
    // position that does not move for the stall timeout ends the wait.
    bool stalled = false;
    qint64 lastPosition = device->position();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (!playing()) {
            loop.quit();
            return;
        }
        const qint64 position = guard->position();
        if (position != lastPosition) {
            lastPosition = position;
            sinceProgress.restart();
        } else if (sinceProgress.elapsed() >= m_stallTimeoutMs) {
            stalled = true;
            guard->stop();
            loop.quit();
        }
    });
    check.start(kStallCheckIntervalMs);
    loop.exec();
    return stalled ? quint32(MediaError::PlaybackStalled) : quint32(MediaError::None);
}

#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

// A private HOME and XDG_RUNTIME_DIR for a test whose speech engine may
// autospawn a real speech-dispatcher. The daemon then lives in this folder
// instead of the user's session, and it does not outlive the test: going
// away stops every process started with this runtime folder (the daemon and
// its modules such as sd_espeak-ng, which outlive the program, and some of
// which ignore SIGTERM).
class PrivateSpeechSession
{
public:
    PrivateSpeechSession()
    {
        QDir(m_folder.path()).mkpath(QStringLiteral("home"));
        QDir(m_folder.path()).mkpath(QStringLiteral("run"));
        qputenv("HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("home"))));
        qputenv("XDG_RUNTIME_DIR", runtimeDir());
    }
    ~PrivateSpeechSession() { stopStarted(); }

    QString folder() const { return m_folder.path(); }
    QByteArray runtimeDir() const { return QFile::encodeName(m_folder.filePath(QStringLiteral("run"))); }

    // Stops the processes started under this session; returns their ids.
    QList<pid_t> stopStarted() const
    {
        const QByteArray marker = "XDG_RUNTIME_DIR=" + runtimeDir();
        QList<pid_t> found;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString &entry : entries) {
            bool number = false;
            const pid_t pid = pid_t(entry.toInt(&number));
            if (!number || pid == ::getpid())
                continue;
            QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
            // Others' processes cannot be read: they are not ours.
            if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker))
                found << pid;
        }
        for (pid_t pid : found)
            ::kill(pid, SIGTERM);
        QElapsedTimer clock;
        clock.start();
        auto anyAlive = [&] {
            for (pid_t pid : found) {
                if (alive(pid))
                    return true;
            }
            return false;
        };
        while (anyAlive() && clock.elapsed() < 1000)
            QThread::msleep(20);
        for (pid_t pid : found) {
            if (alive(pid))
                ::kill(pid, SIGKILL);
        }
        return found;
    }

private:
    static bool alive(pid_t pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        // A zombie has ended; its parent (the daemon's, not ours) reaps it.
        const QByteArray line = stat.readAll();
        const int nameEnd = line.lastIndexOf(')');
        return nameEnd < 0 || line.mid(nameEnd + 2, 1) != "Z";
    }

    QTemporaryDir m_folder;
};

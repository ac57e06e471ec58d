#pragma once

#include "PrivateSpeechSession.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A speech-dispatcher stand-in: a Unix socket server on a thread of its own
// that speaks enough of SSIP for the real client library. Every word is
// "spoken" at once: BEGIN, then END a moment later. It can be told to stop
// answering after a number of commands, as a daemon whose sound output hangs
// does; it then keeps reading and says nothing.
//
// use() points the client library at it (SPEECHD_ADDRESS) and makes sure no
// real daemon is spawned: SPEECHD_CMD names a program that does nothing, and
// the session (HOME, XDG_RUNTIME_DIR) is a private one. The destructor stops
// the server.
class FakeSpeechDispatcher
{
public:
    FakeSpeechDispatcher()
    {
        m_path = m_folder.filePath(QStringLiteral("speechd.sock")).toLocal8Bit();
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, m_path.constData(), sizeof address.sun_path);
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 8) != 0)
            qFatal("fake speech-dispatcher: cannot listen on %s", m_path.constData());
        ::pipe2(m_wake, O_CLOEXEC);
        m_thread = std::thread([this] { serve(); });
    }

    ~FakeSpeechDispatcher()
    {
        m_quit = true;
        const char byte = 0;
        (void)!::write(m_wake[1], &byte, 1);
        m_thread.join();
        // The connections stay open, as with a daemon that hangs: a client
        // thread still waiting on one must not wake up while the program is
        // being torn down. The system closes them when the test ends.
        ::close(m_listener);
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }

    void use()
    {
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + m_path);
        qputenv("SPEECHD_CMD", "/bin/true");
        m_session = std::make_unique<PrivateSpeechSession>();
    }

    // Closes every client connection, as a daemon that dies (or is killed)
    // does; new connections are still taken.
    void dropConnections() { m_dropConnections = true; }

    // From now on, only `count` more commands are answered.
    void answerOnly(int count) { m_answersLeft = count; }

    // The commands received so far (a SPEAK's text as "SPEAK <text>").
    QByteArrayList commands() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_commands;
    }
    int spoken() const
    {
        int count = 0;
        for (const QByteArray &command : commands())
            count += command.startsWith("SPEAK ") ? 1 : 0;
        return count;
    }

private:
    struct Client
    {
        QByteArray buffer;
        bool receivingText = false;
        QByteArray text;
    };

    void serve()
    {
        while (!m_quit) {
            std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
            for (const auto &client : m_clients)
                fds.push_back({client.first, POLLIN, 0});
            ::poll(fds.data(), fds.size(), 10);
            if (m_dropConnections.exchange(false)) {
                for (const auto &client : m_clients)
                    ::close(client.first);
                m_clients.clear();
                continue;
            }
            sendDueEnds();
            if (fds[1].revents & POLLIN) {
                const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0)
                    m_clients[fd] = Client();
            }
            for (size_t i = 2; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                char chunk[4096];
                const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
                if (got <= 0) {
                    ::close(fds[i].fd);
                    m_clients.erase(fds[i].fd);
                    continue;
                }
                Client &client = m_clients[fds[i].fd];
                client.buffer.append(chunk, int(got));
                int end;
                while ((end = client.buffer.indexOf("\r\n")) >= 0) {
                    const QByteArray line = client.buffer.left(end);
                    client.buffer.remove(0, end + 2);
                    handle(fds[i].fd, client, line);
                }
            }
        }
    }

    void handle(int fd, Client &client, const QByteArray &line)
    {
        if (client.receivingText && line != ".") {
            client.text += (client.text.isEmpty() ? "" : "\n") + line;
            return;
        }
        const QByteArray command = client.receivingText ? "SPEAK " + client.text : line;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_commands << command;
        }
        if (m_answersLeft-- <= 0)
            return; // stuck: reads on, answers nothing
        const QByteArray upper = line.toUpper();
        if (client.receivingText) {
            client.receivingText = false;
            client.text.clear();
            const QByteArray id = QByteArray::number(++m_messages);
            reply(fd, "225-" + id + "\r\n225 OK MESSAGE QUEUED\r\n");
            reply(fd, event(701, id, "BEGIN"));
            m_ends[std::chrono::steady_clock::now() + std::chrono::milliseconds(50)] = {fd, id};
        } else if (upper == "SPEAK") {
            client.receivingText = true;
            reply(fd, "230 OK RECEIVING DATA\r\n");
        } else if (upper.startsWith("HISTORY GET CLIENT_ID")) {
            reply(fd, "240-1\r\n240 OK CLIENT ID SENT\r\n");
        } else if (upper.startsWith("LIST SYNTHESIS_VOICES")) {
            reply(fd, "249-en-us\ten-US\tnone\r\n249-en-gb\ten-GB\tnone\r\n249 OK VOICE LIST SENT\r\n");
        } else if (upper.startsWith("LIST OUTPUT_MODULES")) {
            reply(fd, "250-espeak-ng\r\n250 OK MODULE LIST SENT\r\n");
        } else if (upper.startsWith("GET OUTPUT_MODULE")) {
            reply(fd, "251-espeak-ng\r\n251 OK GET RETURNED\r\n");
        } else if (upper.startsWith("GET ")) {
            reply(fd, "251-0\r\n251 OK GET RETURNED\r\n");
        } else if (upper.startsWith("CANCEL") || upper.startsWith("STOP")) {
            reply(fd, "210 OK STOPPED\r\n");
        } else if (upper.startsWith("QUIT")) {
            reply(fd, "231 HAPPY HACKING\r\n");
        } else {
            reply(fd, "208 OK\r\n");
        }
    }

    static QByteArray event(int code, const QByteArray &id, const QByteArray &what)
    {
        const QByteArray number = QByteArray::number(code);
        return number + "-" + id + "\r\n" + number + "-1\r\n" + number + " " + what + "\r\n";
    }

    void sendDueEnds()
    {
        const auto now = std::chrono::steady_clock::now();
        while (!m_ends.empty() && m_ends.begin()->first <= now) {
            const auto [fd, id] = m_ends.begin()->second;
            m_ends.erase(m_ends.begin());
            if (m_clients.count(fd) && m_answersLeft > 0)
                reply(fd, event(702, id, "END"));
        }
    }

    static void reply(int fd, const QByteArray &text) { (void)!::write(fd, text.constData(), size_t(text.size())); }

    QTemporaryDir m_folder;
    std::unique_ptr<PrivateSpeechSession> m_session;
    QByteArray m_path;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_dropConnections{false};
    std::atomic<int> m_answersLeft{1 << 30};
    std::map<int, Client> m_clients;
    std::map<std::chrono::steady_clock::time_point, std::pair<int, QByteArray>> m_ends;
    int m_messages = 0;
    mutable std::mutex m_mutex;
    QByteArrayList m_commands;
};

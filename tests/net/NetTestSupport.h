#pragma once
// What the network tests share: an application object for the event loop, bounded waits, free
// loopback ports, a plain listening peer in the test process and peer programs started by the
// tests. The test command installs every peer program: a test whose peer is missing or does not
// come up in time fails and says which.

#include "net/WSocket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace nettest {

// The text of the socket exception `action` raises, or "(nothing raised)".
inline std::string ExceptionText(const std::function<void()>& action) {
    try {
        action();
    } catch (const ESocketException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// Runs the event loop until `done` or until `milliseconds` have passed; true when done.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 30000) {
    QDeadlineTimer deadline(milliseconds);
    QEventLoop loop;
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTimer::singleShot(10, &loop, [] {});
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Lets every posted message be handled for a while.
inline void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// A port on 127.0.0.1 that nothing listened on a moment ago.
inline int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

// How long a peer program may take to come up: generous, for a machine busy with other tests.
inline constexpr int kPeerStartMilliseconds = 60000;

// Waits until something accepts connections on 127.0.0.1:port (while `alive` holds).
inline bool WaitForPort(int port, int milliseconds = 5000, const std::function<bool()>& alive = {}) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        if (alive && !alive())
            return false;
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        if (ok)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A blocking listening socket on 127.0.0.1 in the test itself, for byte-exact conversations.
class LocalPeer {
public:
    LocalPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LocalPeer() {
        StopStreaming();
        CloseClient();
        ::close(listener_);
    }
    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }
    // Accepts one connection, pumping the event loop meanwhile.
    bool Accept(int milliseconds = 30000) {
        return PumpUntil(
            [this] {
                pollfd p{listener_, POLLIN, 0};
                if (::poll(&p, 1, 0) != 1)
                    return false;
                client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                return client_ >= 0;
            },
            milliseconds);
    }
    void SendRaw(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }
    // Reads what has arrived until `count` bytes are there or the time is up.
    std::string ReadSome(std::size_t count, int milliseconds = 20000) {
        std::string data;
        PumpUntil(
            [&] {
                char buffer[4096];
                pollfd p{client_, POLLIN, 0};
                while (::poll(&p, 1, 0) == 1) {
                    const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
                    if (n <= 0)
                        return true;
                    data.append(buffer, static_cast<std::size_t>(n));
                }
                return data.size() >= count;
            },
            milliseconds);
        return data;
    }
    void CloseClient() {
        if (client_ >= 0)
            ::close(client_);
        client_ = -1;
    }
    // Waits until bytes have arrived from the client, without reading them.
    bool WaitForData(int milliseconds = 20000) {
        return PumpUntil(
            [this] {
                pollfd p{client_, POLLIN, 0};
                return ::poll(&p, 1, 0) == 1;
            },
            milliseconds);
    }
    // Closes the connection hard: the client sees it reset, not ended.
    void ResetClient() {
        if (client_ < 0)
            return;
        const linger hard{1, 0};
        ::setsockopt(client_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        CloseClient();
    }
    // A peer that writes for as long as the client reads, from a thread of its own, until
    // StopStreaming or `seconds` pass.
    void StartStreaming(int seconds) {
        streaming_ = true;
        streamer_ = std::thread([this, seconds] {
            const std::string block(65536, 's');
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            while (streaming_ && std::chrono::steady_clock::now() < end) {
                pollfd p{client_, POLLOUT, 0};
                if (::poll(&p, 1, 50) != 1)
                    continue;
                if (::send(client_, block.data(), block.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 &&
                    errno != EAGAIN)
                    break;
            }
            streaming_ = false;
        });
    }
    bool Streaming() const { return streaming_; }
    void StopStreaming() {
        streaming_ = false;
        if (streamer_.joinable())
            streamer_.join();
    }
    void StopListening() {
        ::close(listener_);
        listener_ = -1;
    }

private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::atomic<bool> streaming_ = false;
    std::thread streamer_;
};

// A peer program started by a test, stopped with it.
class PeerProcess {
public:
    ~PeerProcess() { Stop(); }
    // Starts `program` with `arguments` and waits until it accepts connections on `port`.
    bool Start(const QString& program, const QStringList& arguments, int port, const QString& folder = {}) {
        process_ = std::make_unique<QProcess>();
        process_->setStandardOutputFile(QProcess::nullDevice());
        process_->setStandardErrorFile(QProcess::nullDevice());
        if (!folder.isEmpty())
            process_->setWorkingDirectory(folder);
        process_->start(program, arguments);
        if (!process_->waitForStarted(kPeerStartMilliseconds))
            return false;
        // Answered by our program, not by another that holds the port.
        return WaitForPort(port, kPeerStartMilliseconds, [this] { return Running(); }) &&
               !process_->waitForFinished(50) && Running();
    }
    bool Running() const { return process_ && process_->state() == QProcess::Running; }
    // Starts `program`, which chooses a free port itself and prints "port N" on its output;
    // returns that port, or 0 when it does not start.
    int StartOnAnyPort(const QString& program, const QStringList& arguments) {
        process_ = std::make_unique<QProcess>();
        process_->setStandardErrorFile(QProcess::nullDevice());
        process_->start(program, arguments);
        if (!process_->waitForStarted(kPeerStartMilliseconds))
            return 0;
        QByteArray output;
        QDeadlineTimer deadline(kPeerStartMilliseconds);
        while (!deadline.hasExpired() && process_->state() == QProcess::Running) {
            process_->waitForReadyRead(100);
            output += process_->readAllStandardOutput();
            const qsizetype at = output.indexOf("port ");
            const qsizetype end = at < 0 ? -1 : output.indexOf('\n', at);
            if (end > at) {
                const QByteArrayList words = output.mid(at, end - at).trimmed().split(' ');
                const int port = words.size() > 1 ? words[1].toInt() : 0;
                return port > 0 && WaitForPort(port, kPeerStartMilliseconds, [this] { return Running(); })
                           ? port
                           : 0;
            }
        }
        return 0;
    }
    void Stop() {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->terminate();
            if (!process_->waitForFinished(2000)) {
                process_->kill();
                process_->waitForFinished(2000);
            }
        }
        process_.reset();
    }

private:
    std::unique_ptr<QProcess> process_;
};

// The full path of a program, or empty when the machine lacks it (also looks in sbin).
inline QString FindProgram(const QString& name) {
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/local/sbin"});
    return path;
}

// Why a peer program is not there to talk to.
inline std::string PeerMissing(const QString& program) {
    return program.toStdString() + " is not installed (scripts/ensure-deps.sh installs it)";
}
inline std::string PeerDidNotStart(const QString& program) {
    return program.toStdString() + " did not come up on 127.0.0.1 within " +
           std::to_string(kPeerStartMilliseconds / 1000) + " s";
}

class CoreApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_net";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            application_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QCoreApplication> application_;
};

} // namespace nettest

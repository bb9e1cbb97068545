// One whole HTTP request on 127.0.0.1 with an answer of N header lines: the time per answer grows
// with N, not with its square.

#include "BenchApplication.h"

#include "net/HttpProt.h"

#include <QBuffer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers every connection with `answer`, from a thread of its own, until destroyed.
class AnsweringPeer {
public:
    explicit AnsweringPeer(std::string answer) : answer_(std::move(answer)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~AnsweringPeer() {
        running_ = false;
        thread_.join();
        ::close(listener_);
    }
    int Port() const { return port_; }

private:
    void Serve() {
        while (running_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) != 1)
                continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            ::send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    std::string answer_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> running_ = true;
    std::thread thread_;
};

void BM_HttpAnswerWithHeaderLines(benchmark::State& state) {
    EnsureBenchApplication();
    std::string answer = "HTTP/1.0 200 OK\r\n";
    for (int line = 1; line < state.range(0); ++line)
        answer += "X-Field-" + std::to_string(line) + ": some value of a header field\r\n";
    answer += "\r\n[Version]\nNumber=2.5\n";
    AnsweringPeer peer(answer);
    THttpCli client;
    client.URL = "http://127.0.0.1:" + std::to_string(peer.Port()) + "/download/borvikpro/version.ini";
    for (auto _ : state) {
        QByteArray received;
        QBuffer buffer(&received);
        buffer.open(QIODevice::WriteOnly);
        client.ReceiveStream = &buffer;
        try {
            client.Get();
        } catch (const EHttpException& e) {
            state.SkipWithError(e.what());
            break;
        }
        client.ReceiveStream = nullptr;
        benchmark::DoNotOptimize(received.size());
    }
}
BENCHMARK(BM_HttpAnswerWithHeaderLines)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

} // namespace

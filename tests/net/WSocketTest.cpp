// The event-driven socket against a listening peer on 127.0.0.1 in the test itself.

#include "net/WSocket.h"

#include "NetTestSupport.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using nettest::ExceptionText;
using nettest::LocalPeer;
using nettest::PumpUntil;

[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new nettest::CoreApplicationEnvironment);

// Records every event of a socket as one line each.
struct EventLog {
    std::vector<std::string> lines;
    bool insideCall = false;

    void Attach(TCustomWSocket& socket) {
        socket.OnChangeState = [this](TCustomWSocket*, TSocketState, TSocketState to) {
            Add("state " + std::to_string(to));
        };
        socket.OnSessionConnected = [this](TCustomWSocket*, std::uint16_t e) {
            Add("connected " + std::to_string(e));
        };
        socket.OnSessionClosed = [this](TCustomWSocket*, std::uint16_t e) {
            Add("closed " + std::to_string(e));
        };
        socket.OnDataSent = [this](TCustomWSocket*, std::uint16_t e) { Add("sent " + std::to_string(e)); };
        socket.OnSendData = [this](TCustomWSocket*, int n) { Add("send " + std::to_string(n)); };
        socket.OnDnsLookupDone = [this](TCustomWSocket*, std::uint16_t e) {
            Add("dns " + std::to_string(e));
        };
    }
    void Add(const std::string& line) { lines.push_back(insideCall ? line + " (inside)" : line); }
    bool Has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST(TCustomWSocket, ConnectSendReceiveAndCloseInTheirOrder) {
    LocalPeer peer;
    TCustomWSocket socket;
    EventLog log;
    log.Attach(socket);
    std::string received;
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) {
        char buffer[100];
        const int n = s->Receive(buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, static_cast<std::size_t>(n));
    };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(" " + peer.PortText()); // trimmed on setting
    EXPECT_EQ(socket.Port(), peer.PortText());
    socket.Connect();
    EXPECT_EQ(socket.State(), wsConnecting);
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return log.Has("connected 0"); }));
    EXPECT_EQ(socket.State(), wsConnected);
    EXPECT_EQ(socket.PeerAddr(), "127.0.0.1");
    EXPECT_EQ(socket.PeerPort(), peer.PortText());

    // 3000 bytes the network takes at once: one OnSendData per chunk, data-sent only later.
    log.lines.clear();
    const std::string payload(3000, 'p');
    log.insideCall = true;
    EXPECT_EQ(socket.Send(payload.data(), 3000), 3000);
    log.insideCall = false;
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"send 1460 (inside)", "send 1460 (inside)", "send 80 (inside)"}));
    ASSERT_TRUE(PumpUntil([&] { return log.Has("sent 0"); }));
    EXPECT_EQ(peer.ReadSome(3000), payload);

    peer.SendRaw("hello");
    ASSERT_TRUE(PumpUntil([&] { return received == "hello"; }));
    EXPECT_EQ(socket.ReadCount(), 5);

    log.lines.clear();
    peer.SendRaw("bye");
    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsClosed; }));
    EXPECT_EQ(received, "hellobye"); // drained before the close
    EXPECT_EQ(log.lines, (std::vector<std::string>{"closed 0", "state 7"}));
}

TEST(TCustomWSocket, WhatTheNetworkCannotTakeWaitsForTheWriteEvent) {
    LocalPeer peer;
    TCustomWSocket socket;
    bool sent = false;
    socket.OnDataSent = [&](TCustomWSocket*, std::uint16_t) { sent = true; };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    sent = false;
    std::string payload(8 << 20, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(socket.Send(payload.data(), static_cast<int>(payload.size())),
              static_cast<int>(payload.size()));
    EXPECT_GT(socket.QueuedChunks(), 1u); // the peer reads nothing yet
    EXPECT_FALSE(socket.AllSent());
    const std::string received = peer.ReadSome(payload.size(), 20000);
    EXPECT_TRUE(received == payload) << received.size();
    ASSERT_TRUE(PumpUntil([&] { return sent; }));
    EXPECT_TRUE(socket.AllSent());
}

TEST(TCustomWSocket, DatagramsBothWays) {
    const int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length);

    TCustomWSocket socket;
    EventLog log;
    log.Attach(socket);
    std::string received;
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) { received += s->ReceiveText(); };
    socket.SetProto("udp");
    socket.SetAddr("127.0.0.1");
    socket.SetPort(std::to_string(ntohs(address.sin_port)));
    socket.Connect();
    EXPECT_EQ(socket.State(), wsConnected); // at once, without a peer
    EXPECT_TRUE(log.Has("connected 0"));
    EXPECT_NE(socket.LocalPort(), "0"); // bound, and the bound port kept
    socket.SendText("ping");
    char buffer[16] = {};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ASSERT_TRUE(PumpUntil([&] {
        pollfd p{server, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    }));
    ASSERT_EQ(::recvfrom(server, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength),
              4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(std::to_string(ntohs(from.sin_port)), socket.LocalPort());
    ::sendto(server, "pong", 4, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    ASSERT_TRUE(PumpUntil([&] { return received == "pong"; }));
    ::close(server);
}

TEST(TCustomWSocket, RefusedConnectionReportsItsErrorAndCloses) {
    const int port = nettest::FreePort();
    TCustomWSocket socket;
    EventLog log;
    log.Attach(socket);
    socket.SetAddr("127.0.0.1");
    socket.SetPort(std::to_string(port));
    socket.Connect();
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsClosed; }));
    EXPECT_TRUE(log.Has("connected 10061")) << ::testing::PrintToString(log.lines);
}

TEST(TCustomWSocket, SendWhileNotConnected) {
    TCustomWSocket socket;
    EXPECT_EQ(ExceptionText([&] { socket.Send("x", 1); }),
              "Error 10057 in function Send\r\nSocket is not connected");
    int errors = 0;
    socket.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_EQ(socket.Send("x", 1), -1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(socket.LastError(), 10057);
}

TEST(TCustomWSocket, PropertiesAfterCloseAndWhileConnected) {
    LocalPeer peer;
    TCustomWSocket socket;
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    EXPECT_EQ(ExceptionText([&] { socket.SetProto("udp"); }), "Cannot change Proto if not closed");
    EXPECT_EQ(socket.Proto(), "tcp");
    EXPECT_EQ(ExceptionText([&] { socket.SetAddr("10.0.0.1"); }), "Cannot change Addr if not closed");
    socket.Close();
    EXPECT_EQ(socket.State(), wsClosed);
    EXPECT_EQ(socket.Addr(), "127.0.0.1");
    EXPECT_EQ(socket.Port(), peer.PortText());
    EXPECT_EQ(ExceptionText([&] { socket.Connect(); }), "Connect: No Port Specified");
    // Setting the same values again counts as setting them.
    socket.SetPort(peer.PortText());
    socket.SetAddr("127.0.0.1");
    socket.Connect();
    EXPECT_EQ(socket.State(), wsConnecting);
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
}

TEST(TCustomWSocket, SettersValidateTheirValues) {
    TCustomWSocket socket;
    socket.SetLocalAddr("");
    EXPECT_EQ(socket.LocalAddr(), "0.0.0.0");
    socket.SetLocalAddr(" 127.000.0.1 ");
    EXPECT_EQ(socket.LocalAddr(), "127.0.0.1");
    EXPECT_EQ(ExceptionText([&] { socket.SetLocalAddr("localhost"); }), "SetLocalAddr(): Invalid IP address");
    EXPECT_EQ(ExceptionText([&] { socket.SetSendFlags(2); }), "Invalid SendFlags");
    EXPECT_EQ(ExceptionText([&] { socket.Connect(); }), "Connect: No Port Specified");
    socket.SetPort("80");
    EXPECT_EQ(ExceptionText([&] { socket.Connect(); }), "Connect: No IP Address Specified");
    socket.SetAddr("127.0.0.1");
    socket.SetProto("");
    EXPECT_EQ(ExceptionText([&] { socket.Connect(); }), "Connect: No Protocol Specified");
    socket.SetProto("nosuchproto");
    EXPECT_EQ(ExceptionText([&] {
                  socket.Connect();
              }).rfind("connect: WSocketResolveProto: Cannot convert protocol 'nosuchproto'", 0),
              0u);
}

TEST(TCustomWSocket, DottedLookupsAnswerAtOnceAndNamesFromTheLoop) {
    TCustomWSocket socket;
    EventLog log;
    log.Attach(socket);
    log.insideCall = true;
    socket.DnsLookup("127.0.0.1");
    EXPECT_EQ(log.lines, std::vector<std::string>{"dns 0 (inside)"});
    EXPECT_EQ(socket.DnsResult(), "127.0.0.1");
    log.lines.clear();
    socket.DnsLookup("localhost");
    log.insideCall = false;
    EXPECT_TRUE(log.lines.empty());
    ASSERT_TRUE(PumpUntil([&] { return log.Has("dns 0"); }));
    EXPECT_EQ(socket.DnsResult(), "127.0.0.1");
    log.lines.clear();
    EXPECT_EQ(ExceptionText([&] { socket.DnsLookup(""); }), "DNS lookup: invalid host name.");
    socket.OnError = [](TCustomWSocket*) {};
    socket.DnsLookup("");
    EXPECT_TRUE(log.Has("dns 10022"));
}

TEST(TCustomWSocket, ALookupOutlivedByItsSocketOrReplacedIsNeverDelivered) {
    {
        TCustomWSocket gone;
        gone.OnDnsLookupDone = [](TCustomWSocket*, std::uint16_t) {
            ADD_FAILURE() << "delivered to a freed socket";
        };
        gone.DnsLookup("localhost");
    }
    TCustomWSocket socket;
    EventLog log;
    log.Attach(socket);
    socket.DnsLookup("localhost");
    socket.DnsLookup("localhost"); // cancels the first: reported as interrupted
    ASSERT_TRUE(PumpUntil([&] { return log.Has("dns 0"); }));
    nettest::PumpFor(50);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"dns 10004", "dns 0"}));
    EXPECT_EQ(socket.DnsResultList(), std::vector<std::string>{"127.0.0.1"});
}

TEST(TCustomWSocket, NoticesForAnEarlierSocketOnTheSameDescriptorAreDropped) {
    LocalPeer peer;
    TCustomWSocket socket;
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    const TSocket handle = socket.Handle();
    const std::uint64_t current = SocketIncarnation(handle);
    socket.Window()->Post(WM_ASYNCSELECT, handle, MakeLong(static_cast<std::uint16_t>(FD_CLOSE), 0),
                          current - 1);
    nettest::PumpFor(50);
    EXPECT_EQ(socket.State(), wsConnected);
    socket.Window()->Post(WM_ASYNCSELECT, handle, MakeLong(static_cast<std::uint16_t>(FD_CLOSE), 0), current);
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsClosed; }));
}

TEST(TCustomWSocket, AnExceptionInItsOwnMessagesGoesToBgExceptionAndAborts) {
    LocalPeer peer;
    TCustomWSocket socket;
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    std::string seen;
    socket.OnBgException = [&](TCustomWSocket*, const std::exception& e, bool&) { seen = e.what(); };
    socket.PostMessage(WM_TRIGGER_EXCEPTION);
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, "Test exception in WSocket");
    EXPECT_EQ(socket.State(), wsClosed);
}

TEST(TCustomWSocket, AHandlerThatReadsNothingDoesNotHoldTheLoop) {
    LocalPeer peer;
    TCustomWSocket socket;
    int offers = 0;
    socket.OnDataAvailable = [&](TCustomWSocket*, std::uint16_t) { ++offers; };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    peer.SendRaw("unread");
    ASSERT_TRUE(PumpUntil([&] { return offers > 0; }));
    nettest::PumpFor(50);
    EXPECT_EQ(offers, 1);
}

TEST(TCustomWSocket, AHandlerThatClosesAfterTheLastReadEndsTheSessionOnce) {
    LocalPeer peer;
    TCustomWSocket socket;
    int closed = 0;
    std::string received;
    socket.OnSessionClosed = [&](TCustomWSocket*, std::uint16_t) { ++closed; };
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) {
        char buffer[100];
        const int n = s->Receive(buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0)
            s->Close();
    };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    peer.SendRaw("bye");
    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsClosed && closed > 0; }));
    EXPECT_EQ(received, "bye");
    EXPECT_EQ(closed, 1);
}

TEST(TCustomWSocket, OneNoticeReadsABoundedAmountWhileThePeerKeepsSending) {
    LocalPeer peer;
    TCustomWSocket socket;
    std::int64_t received = 0;
    // A reader that takes its time with every block, as one writing to a slow disk does: the
    // peer sends faster than it reads.
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) {
        char buffer[1024];
        const int n = s->Receive(buffer, sizeof buffer);
        if (n > 0)
            received += n;
        const auto busy = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
        while (std::chrono::steady_clock::now() < busy) {
        }
    };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    // A timer of the program must keep firing while the data pours in.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks += peer.Streaming() && received > 0 ? 1 : 0; });
    timer.start(10);
    peer.StartStreaming(20);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 10 || !peer.Streaming(); }));
    EXPECT_GE(ticks, 10) << received << " bytes read";
    peer.StopStreaming();
    socket.Abort();
}

TEST(TCustomWSocket, PostFreeDestroysTheSocketFromTheLoop) {
    const int before = SocketCount();
    auto* socket = new TCustomWSocket;
    EXPECT_EQ(SocketCount(), before + 1);
    socket->PostFree();
    ASSERT_TRUE(PumpUntil([&] { return SocketCount() == before; }));
}

TEST(TCustomWSocket, ListenAcceptAndDupServeAConnection) {
    TCustomWSocket server;
    server.SetAddr("127.0.0.1");
    server.SetPort("0");
    server.SetProto("tcp");
    bool available = false;
    server.OnSessionAvailable = [&](TCustomWSocket*, std::uint16_t) { available = true; };
    server.Listen();
    EXPECT_EQ(server.State(), wsListening);
    const int port = std::stoi(server.GetXPort());
    ASSERT_GT(port, 0);

    TCustomWSocket client;
    client.SetAddr("127.0.0.1");
    client.SetPort(std::to_string(port));
    client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return available && client.State() == wsConnected; }));
    TCustomWSocket served;
    served.Dup(server.Accept());
    EXPECT_EQ(served.State(), wsConnected);
    std::string got;
    served.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) { got += s->ReceiveText(); };
    client.SendText("ping");
    ASSERT_TRUE(PumpUntil([&] { return got == "ping"; }));
}

} // namespace

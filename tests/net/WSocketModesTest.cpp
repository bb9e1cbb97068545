// SOCKS 4, 4A and 5 against a scripted proxy in the test and against microsocks; line mode;
// synchronous waits.

#include "net/WSocket.h"

#include "NetTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using nettest::ExceptionText;
using nettest::LocalPeer;
using nettest::PumpUntil;
using namespace std::string_literals;

[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new nettest::CoreApplicationEnvironment);

// A socket that goes through the proxy `peer` to host `host`, port 80, and logs its events.
struct ProxiedSocket {
    TWSocket socket;
    std::vector<std::string> log;
    std::string received;
    int closed = 0;

    ProxiedSocket(const LocalPeer& proxy, const std::string& level, const std::string& host) {
        socket.SetSocksServer("127.0.0.1");
        socket.SetSocksPort(proxy.PortText());
        socket.SetSocksLevel(level);
        socket.SetAddr(host);
        socket.SetPort("80");
        socket.OnSocksConnected = [this](TCustomWSocket*, std::uint16_t e) {
            log.push_back("socks " + std::to_string(e));
        };
        socket.OnSessionConnected = [this](TCustomWSocket*, std::uint16_t e) {
            log.push_back("connected " + std::to_string(e));
        };
        socket.OnSocksError = [this](TCustomWSocket*, int e, const std::string& text) {
            log.push_back("error " + std::to_string(e) + " " + text);
        };
        socket.OnSocksAuthState = [this](TCustomWSocket*, TSocksAuthState s) {
            log.push_back("auth " + std::to_string(s));
        };
        socket.OnDataAvailable = [this](TCustomWSocket* s, std::uint16_t) { received += s->ReceiveText(); };
        socket.OnSessionClosed = [this](TCustomWSocket*, std::uint16_t) { ++closed; };
    }
    bool Has(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

TEST(SocksLevel, StoredUpperCaseAndOnlyTheThreeLevels) {
    TWSocket socket;
    socket.SetSocksLevel("4a");
    EXPECT_EQ(socket.SocksLevel(), "4A");
    EXPECT_EQ(ExceptionText([&] { socket.SetSocksLevel("6"); }), "Invalid socks level. Must be 4, 4A or 5.");
    EXPECT_EQ(socket.SocksLevel(), "4A");
    socket.SetSocksServer("127.0.0.1");
    socket.SetProto("udp");
    EXPECT_EQ(ExceptionText([&] { socket.Connect(); }),
              "tcp is the only protocol supported thru socks server");
    EXPECT_EQ(ExceptionText([&] { socket.Listen(); }), "Listening is not supported thru socks server");
}

TEST(Socks5, GreetingRequestAndPayloadAfterTheReply) {
    LocalPeer proxy;
    ProxiedSocket client(proxy, "5", "h");
    client.socket.Connect();
    ASSERT_TRUE(proxy.Accept());
    EXPECT_EQ(proxy.ReadSome(3), "\x05\x01\x00"s);
    // Replies in pieces: nothing is decided before a message is whole.
    proxy.SendRaw("\x05"s);
    nettest::PumpFor(30);
    proxy.SendRaw("\x00"s);
    EXPECT_EQ(proxy.ReadSome(8), "\x05\x01\x00\x03\x01h\x00\x50"s);
    EXPECT_FALSE(client.Has("connected 0")); // held back until the proxy answers
    proxy.SendRaw("\x05\x00\x00\x01\x01\x02\x03\x04\x00\x50payload"s);
    ASSERT_TRUE(PumpUntil([&] { return client.received == "payload"; }));
    EXPECT_EQ(client.log, (std::vector<std::string>{"socks 0", "connected 0"}));
    proxy.SendRaw("more");
    ASSERT_TRUE(PumpUntil([&] { return client.received == "payloadmore"; }));
}

TEST(Socks5, AuthenticationAndItsRefusal) {
    LocalPeer proxy;
    ProxiedSocket client(proxy, "5", "127.0.0.1");
    client.socket.SocksAuthentication = socksAuthenticateUsercode;
    client.socket.SocksUsercode = "user";
    client.socket.SocksPassword = "pw";
    client.socket.Connect();
    ASSERT_TRUE(proxy.Accept());
    EXPECT_EQ(proxy.ReadSome(3), "\x05\x01\x02"s);
    proxy.SendRaw("\x05\x02"s);
    EXPECT_EQ(proxy.ReadSome(9), "\x01\x04user\x02pw"s);
    proxy.SendRaw("\x01\x01"s);
    ASSERT_TRUE(PumpUntil([&] { return client.socket.State() == wsClosed; }));
    EXPECT_EQ(client.log,
              (std::vector<std::string>{"socks 0", "auth 0", "error 20015 socks authentication failed",
                                        "connected 20015"}));
}

TEST(Socks5, AProxyThatClosesDuringTheGreetingEndsTheSessionOnce) {
    enum class End { Closes, Resets, ResetsAndTheOwnerCloses };
    for (const End end : {End::Closes, End::Resets, End::ResetsAndTheOwnerCloses}) {
        LocalPeer proxy;
        ProxiedSocket client(proxy, "5", "name.test");
        if (end == End::ResetsAndTheOwnerCloses)
            // As an owner does that gives up on a connection that failed.
            client.socket.OnSessionConnected = [&](TCustomWSocket* s, std::uint16_t e) {
                client.log.push_back("connected " + std::to_string(e));
                if (e != 0)
                    s->Close();
            };
        client.socket.Connect();
        ASSERT_TRUE(proxy.Accept());
        if (end == End::Closes) {
            EXPECT_EQ(proxy.ReadSome(3), "\x05\x01\x00"s);
            proxy.CloseClient();
        } else {
            // The greeting left unread: the proxy's close resets the connection.
            ASSERT_TRUE(proxy.WaitForData());
            proxy.ResetClient();
        }
        ASSERT_TRUE(PumpUntil([&] { return client.socket.State() == wsClosed && client.closed > 0; }))
            << static_cast<int>(end);
        EXPECT_EQ(client.closed, 1) << static_cast<int>(end) << ::testing::PrintToString(client.log);
    }
}

TEST(Socks5, ReplyErrorsMapToTheirCodes) {
    const struct {
        std::string reply;
        std::string error;
    } cases[] = {
        {"\x05\x05\x00\x01"s, "error 20008 connection refused"},
        {"\x05\x01\x00\x01"s, "error 20004 general SOCKS server failure"},
        {"\x05\x09\x00\x01"s, "error 20012 unassigned error #9"},
        {"\x04\x00"s, "error 20002 socks version error"},
        {"\x05\x00\x00\x04\x00\x00"s, "error 20011 address type not supported"},
    };
    for (const auto& c : cases) {
        LocalPeer proxy;
        ProxiedSocket client(proxy, "5", "host");
        client.socket.Connect();
        ASSERT_TRUE(proxy.Accept());
        proxy.ReadSome(3);
        proxy.SendRaw("\x05\x00"s);
        proxy.ReadSome(11);
        proxy.SendRaw(c.reply);
        ASSERT_TRUE(PumpUntil([&] { return client.socket.State() == wsClosed; })) << c.error;
        EXPECT_TRUE(client.Has(c.error)) << ::testing::PrintToString(client.log);
    }
}

TEST(Socks4, RequestsAndReplies) {
    const struct {
        std::string level;
        std::string host;
        std::string request;
        std::string reply;
        std::string outcome;
    } cases[] = {
        {"4", "127.0.0.1", "\x04\x01\x00\x50\x7f\x00\x00\x01usr\x00"s, "\x00\x5a\x00\x00\x00\x00\x00\x00"s,
         "connected 0"},
        {"4A", "name.test", "\x04\x01\x00\x50\x00\x00\x00\x01usr\x00name.test\x00"s,
         "\x00\x5a\x00\x00\x00\x00\x00\x00"s, "connected 0"},
        {"4", "127.0.0.1", "\x04\x01\x00\x50\x7f\x00\x00\x01usr\x00"s, "\x00\x5b\x00\x00\x00\x00\x00\x00"s,
         "error 20016 request rejected or failed"},
        {"4", "127.0.0.1", "\x04\x01\x00\x50\x7f\x00\x00\x01usr\x00"s, "\x00\x5d\x00\x00\x00\x00\x00\x00"s,
         "error 20015 authentification failed"},
    };
    for (const auto& c : cases) {
        LocalPeer proxy;
        ProxiedSocket client(proxy, c.level, c.host);
        client.socket.SocksUsercode = "usr";
        client.socket.Connect();
        ASSERT_TRUE(proxy.Accept());
        EXPECT_EQ(proxy.ReadSome(c.request.size()), c.request) << c.level << " " << c.host;
        proxy.SendRaw(c.reply);
        ASSERT_TRUE(PumpUntil([&] { return client.Has(c.outcome); })) << ::testing::PrintToString(client.log);
    }
}

TEST(Socks5, ThroughMicrosocks) {
    const QString microsocks = nettest::FindProgram("microsocks");
    ASSERT_FALSE(microsocks.isEmpty()) << nettest::PeerMissing("microsocks");
    for (const bool withPassword : {false, true}) {
        nettest::PeerProcess proxy;
        int proxyPort = 0;
        // microsocks needs its port in advance; another test may take the same one meanwhile.
        for (int attempt = 0; attempt < 3 && proxyPort == 0; ++attempt) {
            const int port = nettest::FreePort();
            QStringList arguments{"-i", "127.0.0.1", "-p", QString::number(port)};
            if (withPassword)
                arguments << "-u"
                          << "user"
                          << "-P"
                          << "secret";
            if (proxy.Start(microsocks, arguments, port))
                proxyPort = port;
        }
        ASSERT_NE(proxyPort, 0) << nettest::PeerDidNotStart("microsocks");
        LocalPeer target;
        TWSocket socket;
        socket.SetSocksServer("127.0.0.1");
        socket.SetSocksPort(std::to_string(proxyPort));
        if (withPassword) {
            socket.SocksAuthentication = socksAuthenticateUsercode;
            socket.SocksUsercode = "user";
            socket.SocksPassword = "secret";
        }
        socket.SetAddr("127.0.0.1");
        socket.SetPort(target.PortText());
        std::string received;
        socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) { received += s->ReceiveText(); };
        socket.Connect();
        ASSERT_TRUE(target.Accept()) << withPassword;
        ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected && !socket.SocksNegotiating(); }));
        socket.SendText("through the proxy");
        EXPECT_EQ(target.ReadSome(17), "through the proxy");
        target.SendRaw("and back");
        ASSERT_TRUE(PumpUntil([&] { return received == "and back"; }));
    }
}

TEST(LineMode, OffersWholeLinesAndKeepsTheRest) {
    LocalPeer peer;
    TWSocket socket;
    socket.SetLineMode(true);
    std::vector<std::string> lines;
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) {
        const int count = s->RcvdCount();
        lines.push_back(s->ReceiveText() + "|" + std::to_string(count));
    };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    peer.SendRaw("ab\r\ncd");
    ASSERT_TRUE(PumpUntil([&] { return !lines.empty(); }));
    nettest::PumpFor(30);
    EXPECT_EQ(lines, std::vector<std::string>{"ab\r\n|4"});
    EXPECT_EQ(socket.Buffered(), "cd");
    peer.SendRaw("e\r");
    nettest::PumpFor(30);
    peer.SendRaw("\nlast");
    ASSERT_TRUE(PumpUntil([&] { return lines.size() == 2; }));
    EXPECT_EQ(lines[1], "cde\r\n|5"); // a line end split over two blocks
    // What is left when the peer closes comes as a last line.
    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return lines.size() == 3; }));
    EXPECT_EQ(lines[2], "last|4");
}

TEST(LineMode, SwitchingItOnOffersWhatIsBufferedAndTheLimitClears) {
    LocalPeer peer;
    TWSocket socket;
    socket.SetLineMode(true);
    socket.LineLimit = 8;
    std::vector<std::string> lines;
    int exceeded = 0;
    bool reading = true;
    socket.OnLineLimitExceeded = [&](TCustomWSocket*, int length, bool& clear) {
        exceeded = length;
        clear = false; // keep it
    };
    socket.OnDataAvailable = [&](TCustomWSocket* s, std::uint16_t) {
        if (reading)
            lines.push_back(s->ReceiveText());
    };
    socket.SetAddr("127.0.0.1");
    socket.SetPort(peer.PortText());
    socket.Connect();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(PumpUntil([&] { return socket.State() == wsConnected; }));
    peer.SendRaw("0123456789");
    ASSERT_TRUE(PumpUntil([&] { return exceeded > 0; }));
    EXPECT_EQ(exceeded, 10);
    EXPECT_TRUE(lines.empty());
    // Off: the kept bytes are offered as they are (here nobody reads them).
    reading = false;
    socket.SetLineMode(false);
    nettest::PumpFor(30);
    EXPECT_EQ(socket.Buffered(), "0123456789");
    // On again, with a line end the buffer holds: the line comes through the posted message.
    reading = true;
    socket.LineEnd = "5";
    socket.SetLineMode(true);
    EXPECT_TRUE(lines.empty());
    ASSERT_TRUE(PumpUntil([&] { return !lines.empty(); }));
    EXPECT_EQ(lines, std::vector<std::string>{"012345"});
    EXPECT_EQ(socket.Buffered(), "6789");
}

TEST(SyncSocket, WaitsForTheFlagOrTheTimeOut) {
    TWSocket socket;
    int flag = 0;
    QTimer::singleShot(20, [&] { flag = 1; });
    EXPECT_EQ(socket.WaitUntilReady(flag), 0);
    socket.Timeout = 50;
    int never = 0;
    EXPECT_EQ(socket.WaitUntilReady(never), TCustomSyncWSocket::kTimedOut);
    bool called = false;
    EXPECT_EQ(socket.Synchronize(flag,
                                 [&] {
                                     called = true;
                                     QTimer::singleShot(10, [&] { flag = 1; });
                                 }),
              0);
    EXPECT_TRUE(called);
}

} // namespace

// Resolution, error texts and the binding of the socket library by name, also with libraries
// that cannot be loaded, refuse to start or lack an entry point.

#include "net/WSocket.h"

#include "NetTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

using nettest::ExceptionText;
[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new nettest::CoreApplicationEnvironment);

TEST(IsDottedAddress, AcceptsExactlyFourDecimalParts) {
    const struct {
        const char* text;
        bool dotted;
    } cases[] = {
        {"1.2.3.4", true},    {" 1.2.3.4 ", true},  {"255.255.255.255", true},
        {"1.2.3", false},     {".1.2.3", false},    {"1.2.3.256", false},
        {"1..2.3", false},    {"1.2.3.4.5", false}, {"1.2.3.", false},
        {"a.b.c.d", false},   {"", false},          {"1.2.3.4x", false},
        {"300.1.1.1", false}, {"010.1.1.1", true},  {"1.2.3.99999999999", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsDottedAddress(c.text), c.dotted) << c.text;
}

TEST(LeadingNumber, ReadsDigitsAfterBlanksAndStopsAtTheFirstOther) {
    EXPECT_EQ(LeadingNumber("80"), 80);
    EXPECT_EQ(LeadingNumber("  8a"), 8);
    EXPECT_EQ(LeadingNumber("x1"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("99999999999999999999"), INT_MAX); // saturates, no overflow
}

TEST(WSocketResolve, HostsPortsAndProtocols) {
    EXPECT_EQ(WSocketResolveHost("127.0.0.1"), htonl(0x7F000001));
    EXPECT_EQ(WSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(WSocketResolveHost(" 10.0.0.1 "), htonl(0x0A000001));
    // Dotted parts are decimal: 010 is ten.
    EXPECT_EQ(WSocketResolveHost("010.0.0.1"), htonl(0x0A000001));
    EXPECT_EQ(WSocketResolveHost("localhost"), htonl(0x7F000001));
    EXPECT_EQ(WSocketResolvePort("80", "tcp"), 80);
    EXPECT_EQ(WSocketResolvePort("8a", "tcp"), 8);
    EXPECT_EQ(WSocketResolvePort("http", "tcp"), 80);
    EXPECT_EQ(WSocketResolveProto("tcp"), 6);
    EXPECT_EQ(WSocketResolveProto("udp"), 17);
    EXPECT_EQ(WSocketResolveProto("17"), 17);
}

TEST(WSocketResolve, RefusalsCarryTheirTexts) {
    const std::string longHost(257, 'a');
    EXPECT_EQ(ExceptionText([&] { WSocketResolveHost(longHost); }),
              "WSocketResolveHost: '" + longHost + "' Invalid Hostname.");
    EXPECT_EQ(ExceptionText([] { WSocketResolveHost(""); }), "WSocketResolveHost: '' Invalid Hostname.");
    EXPECT_EQ(ExceptionText([] { WSocketResolvePort(std::string(32, '1'), "tcp"); }),
              "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(ExceptionText([] { WSocketResolvePort("", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(ExceptionText([] { WSocketResolvePort("70000", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(ExceptionText([] { WSocketResolvePort("80", std::string(32, 't')); }),
              "WSocketResolvePort: Invalid Proto.");
    EXPECT_EQ(ExceptionText([] {
                  WSocketResolvePort("no-such-service-here", "tcp");
              }).rfind("WSocketResolvePort: Cannot convert port 'no-such-service-here', Error #", 0),
              0u);
    EXPECT_EQ(ExceptionText([] { WSocketResolveProto(""); }), "WSocketResolveProto: Invalid Protocol.");
    EXPECT_EQ(ExceptionText([] {
                  WSocketResolveProto("nosuchproto");
              }).rfind("WSocketResolveProto: Cannot convert protocol 'nosuchproto', Error #", 0),
              0u);
}

TEST(SocketErrorText, KnownAndUnknownCodes) {
    EXPECT_EQ(SocketErrorText(0), "No Error");
    EXPECT_EQ(SocketErrorText(10035), "Operation would block");
    EXPECT_EQ(SocketErrorText(10061), "Connection refused");
    EXPECT_EQ(SocketErrorText(11001), "Host not found");
    EXPECT_EQ(SocketErrorText(12345), "Not a WinSock error");
}

// Libraries that fail in each of the three ways.
int RefusingStartup(std::uint16_t, TWSAData*) {
    return 10091;
}

class WrappedLibrary final : public TSocketLibrary {
public:
    WrappedLibrary(std::string missing, bool refuseStartup)
        : inner_(OpenPosixSocketLibrary()), missing_(std::move(missing)), refuseStartup_(refuseStartup) {}
    TEntryPoint Find(std::string_view name) override {
        if (name == missing_)
            return nullptr;
        if (refuseStartup_ && name == "WSAStartup")
            return reinterpret_cast<TEntryPoint>(&RefusingStartup);
        return inner_->Find(name);
    }

private:
    std::unique_ptr<TSocketLibrary> inner_;
    std::string missing_;
    bool refuseStartup_;
};

class SocketLibraryBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SocketCount(), 0);
        UnloadSocketLibrary();
    }
    void TearDown() override {
        UnloadSocketLibrary();
        SetSocketLibraryOpener({});
    }
};

TEST_F(SocketLibraryBinding, TheThreeFailuresOfTheLibraryReachTheFirstCaller) {
    const struct {
        TSocketLibraryOpener opener;
        std::string text;
    } cases[] = {
        {[](const std::string&, int& error) -> std::unique_ptr<TSocketLibrary> {
             error = 126;
             return nullptr;
         },
         "Unable to load wsock32.dll Error #126"},
        {[](const std::string&, int&) -> std::unique_ptr<TSocketLibrary> {
             return std::make_unique<WrappedLibrary>("", true);
         },
         "wsock32.dll: WSAStartup error #10091"},
        {[](const std::string&, int&) -> std::unique_ptr<TSocketLibrary> {
             return std::make_unique<WrappedLibrary>("gethostbyname", false);
         },
         "Procedure gethostbyname not found in wsock32.dll Error #127"},
    };
    for (const auto& c : cases) {
        UnloadSocketLibrary();
        SetSocketLibraryOpener(c.opener);
        EXPECT_EQ(ExceptionText([] { WSocketResolveHost("localhost"); }), c.text);
    }
}

TEST_F(SocketLibraryBinding, LoadedOnFirstUseAndUnloadedWithTheLastSocket) {
    const int loadsBefore = SocketLibraryLoadCount();
    EXPECT_FALSE(SocketLibraryLoaded());
    {
        TCustomWSocket first;
        EXPECT_FALSE(SocketLibraryLoaded()); // creating a socket binds nothing yet
        first.DnsLookup("127.0.0.1");
        EXPECT_TRUE(SocketLibraryLoaded());
        {
            TCustomWSocket second;
            second.DnsLookup("127.0.0.1");
        }
        EXPECT_TRUE(SocketLibraryLoaded()); // one socket is left
    }
    EXPECT_FALSE(SocketLibraryLoaded());
    EXPECT_EQ(SocketLibraryLoadCount(), loadsBefore + 1);
    // The next use loads and starts it again.
    WSocketResolveHost("127.0.0.1");
    EXPECT_EQ(SocketLibraryLoadCount(), loadsBefore + 2);
}

TEST_F(SocketLibraryBinding, EveryEntryPointIsBoundByItsName) {
    int count = 0;
    const char* const* names = SocketEntryPointNames(count);
    ASSERT_EQ(count, 30);
    for (int i = 0; i < count; ++i)
        EXPECT_NE(BindEntryPoint(names[i]), nullptr) << names[i];
}

} // namespace

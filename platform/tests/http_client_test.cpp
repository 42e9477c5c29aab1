#include "platform/http_client.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseServerAddress, AcceptsHostsPortsAndBracketedAddresses) {
    struct Case {
        const char* address;
        bool secure;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"example.org", false, "example.org", 0},
        {"127.0.0.1:8080", true, "127.0.0.1", 8080},
        {"[::1]", false, "[::1]", 0},
        {"[::1]:443", true, "[::1]", 443},
        {"brelmox-1.internal", false, "brelmox-1.internal", 0},
    };
    for (const Case& c : cases) {
        platform::HttpTarget target;
        ASSERT_TRUE(platform::ParseServerAddress(c.address, c.secure, &target)) << c.address;
        EXPECT_EQ(target.host, c.host);
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.secure, c.secure);
    }
}

TEST(ParseServerAddress, RefusesWhatIsNotAHostAndPort) {
    for (const char* address :
         {"", ":80", "host:", "host:0", "host:65536", "host:8o", "two words", "user@host",
          "host/path", "http://host", "[::1", "[::1]80", "[]", "[::1]:x", "host:80:81"}) {
        platform::HttpTarget target;
        EXPECT_FALSE(platform::ParseServerAddress(address, false, &target)) << address;
    }
}

}  // namespace

// What the user reads when the connection fails, and where the library connects.
#include <gtest/gtest.h>

#include "update/package.h"
#include "update/transport_texts.h"

TEST(TransportTexts, SocketErrorsAndStartupErrors) {
    EXPECT_EQ(SocketErrorText(10061), "The attempt to connect was forcefully rejected. ");
    EXPECT_EQ(SocketErrorText(10048).substr(0, 45), "The socket''s local address is already in use");
    EXPECT_EQ(SocketErrorText(11001), "Authoritative answer host not found. ");
    EXPECT_EQ(SocketErrorText(10071),
              "Unknown error happened on work in the Internet. Please inform an error code (10071) together with the "
              "description of a situation in a support department of Varnok Com. Thanks...");
    EXPECT_EQ(SocketStartupErrorText(10092).substr(0, 41), "The version of Windows Sockets support re");
    EXPECT_NE(SocketStartupErrorText(5).find("error code (5)"), std::string::npos);
}

TEST(TransportTexts, TheServerSettingAndTheRequests) {
    struct Case {
        const char* setting;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"", "update.varnok.com", 80},
        {"127.0.0.1:8080", "127.0.0.1", 8080},
        {"updates.example.com", "updates.example.com", 80},
        {"127.0.0.1:0", "127.0.0.1", 80},  // no such port: the usual one
        {"127.0.0.1:99999", "127.0.0.1", 80},
        {":8080", "update.varnok.com", 8080},
    };
    for (const Case& c : cases) {
        const UpdateServerAddress address = UpdateServerFrom(c.setting);
        EXPECT_EQ(address.host, c.host) << c.setting;
        EXPECT_EQ(address.port, c.port) << c.setting;
    }
    EXPECT_EQ(UpdateListRequest("h", 1, "30-12-1899", "15-03-2004"),
              "GET http://h/cgi-bin/update_dir.pl?prog=1&date=30-12-1899&common=15-03-2004");
}

TEST(TransportTexts, EachEditionAsksForItsOwnPackage) {
    struct Case {
        std::string_view edition;
        const char* request;
    };
    const Case cases[] = {
        {kEditionX86, "GET http://h/cgi-bin/update_run.pl?prog=12&date=01-02-2003&common=30-12-1899"},
        {kEditionX64, "GET http://h/cgi-bin/update_run.pl?prog=12&date=01-02-2003&common=30-12-1899&arch=x64"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdatePackageRequest("h", 12, "01-02-2003", "30-12-1899", c.edition), c.request) << c.edition;
}

// What the user is told when the Internet connection fails: the texts for
// Windows Sockets error codes, and the update server's address.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A socket call's error code as a one-line text.
std::string SocketErrorText(int code);
// Starting Windows Sockets failed with this code.
std::string SocketStartupErrorText(int code);

struct UpdateServerAddress {
    std::string host;
    uint16_t port = 80;
};
// The maker's update server on port 80, unless setting names another
// ("host" or "host:port"; the library reads it from VARNOK_UPDATE_SERVER).
UpdateServerAddress UpdateServerFrom(const std::string& setting);

// The two requests: the list of what an update brings, and the package. The
// package asked for is the edition's own: the x86 edition asks as it always
// has, any other names itself ("&arch=x64").
std::string UpdateListRequest(const std::string& host, int32_t product, const std::string& lastDate,
                              const std::string& commonDate);
std::string UpdatePackageRequest(const std::string& host, int32_t product, const std::string& lastDate,
                                 const std::string& commonDate, std::string_view edition);

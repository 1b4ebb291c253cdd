#include "update/transport_texts.h"

#include <charconv>

#include "update/package.h"

namespace {

const char kDefaultHost[] = "update.varnok.com";

std::string query(int32_t product, const std::string& lastDate, const std::string& commonDate) {
    return "prog=" + std::to_string(product) + "&date=" + lastDate + "&common=" + commonDate;
}

}  // namespace

std::string SocketErrorText(int code) {
    switch (code) {
    case 10004:
        return "The blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall. ";
    case 10013:
        return "An attempt to connect a datagram socket to broadcast address failed because setsockopt option "
               "SO_BROADCAST is not enabled. ";
    case 10014:
        return "The name or the namelen parameter is not a valid part of the user address space, the namelen "
               "parameter is too small, or the name parameter contains incorrect address format for the associated "
               "address family. ";
    case 10022:
        return "The parameter s is a listening socket. ";
    case 10024:
        return "No more socket descriptors are available. ";
    case 10035:
        return "The socket is marked as nonblocking and the connection cannot be completed immediately. ";
    case 10036:
        return "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a "
               "callback function. ";
    case 10037:
        return "A nonblocking connect call is in progress on the specified socket. ";
    case 10038:
        return "The descriptor is not a socket. ";
    case 10040:
        return "The socket is message oriented, and the message is larger than the maximum supported by the "
               "underlying transport. ";
    case 10041:
        return "The specified protocol is the wrong type for this socket. ";
    case 10043:
        return "The specified protocol is not supported. ";
    case 10044:
        return "The specified socket type is not supported in this address family. ";
    case 10045:
        return "MSG_OOB was specified, but the socket is not stream-style such as type SOCK_STREAM. ";
    case 10047:
        return "Addresses in the specified family cannot be used with this socket. ";
    case 10048:
        return "The socket''s local address is already in use and the socket was not marked to allow address reuse "
               "with SO_REUSEADDR. ";
    case 10049:
        return "The remote address is not a valid address (such as ADDR_ANY). ";
    case 10050:
        return "The network subsystem or the associated service provider has failed. ";
    case 10051:
        return "The network cannot be reached from this host at this time. ";
    case 10052:
        return "The connection has been broken due to the keep-alive activity detecting a failure while the "
               "operation was in progress. ";
    case 10053:
        return "The virtual circuit was terminated due to a time-out or other failure. ";
    case 10054:
        return "The virtual circuit was reset by the remote side executing a hard or abortive close. ";
    case 10055:
        return "No buffer space is available. The socket cannot be created or connected. ";
    case 10056:
        return "The socket is already connected (connection-oriented sockets only). ";
    case 10057:
        return "The socket is not connected. ";
    case 10058:
        return "The socket has been shut down; it is not possible to send on a socket after shutdown has been "
               "invoked. ";
    case 10060:
        return "The connection has been dropped because of a network failure or because the peer system failed "
               "to respond. ";
    case 10061:
        return "The attempt to connect was forcefully rejected. ";
    case 10065:
        return "The remote host cannot be reached from this host at this time. ";
    case 10093:
        return "A successful WSAStartup call must occur before using this function. ";
    case 11001:
        return "Authoritative answer host not found. ";
    case 11002:
        return "Nonauthoritative host not found, or server failure. ";
    case 11003:
        return "A nonrecoverable error occurred. ";
    case 11004:
        return "Valid name, no data record of requested type. ";
    }
    return "Unknown error happened on work in the Internet. Please inform an error code (" + std::to_string(code) +
           ") together with the description of a situation in a support department of Varnok Com. Thanks...";
}

std::string SocketStartupErrorText(int code) {
    switch (code) {
    case 10014:
        return "The lpWSAData is not a valid pointer. ";
    case 10036:
        return "A blocking Windows Sockets 1.1 operation is in progress. ";
    case 10067:
        return "Limit on the number of tasks supported by the Windows Sockets implementation has been reached. ";
    case 10091:
        return "Indicates that the underlying network subsystem is not ready for network communication. ";
    case 10092:
        return "The version of Windows Sockets support requested is not provided by this particular Windows "
               "Sockets implementation. ";
    }
    return "Unknown error happened on initialize of Internet connection. Please inform an error code (" +
           std::to_string(code) +
           ") together with the description of a situation in a support department of Varnok Com. Thanks...";
}

UpdateServerAddress UpdateServerFrom(const std::string& setting) {
    UpdateServerAddress address{kDefaultHost, 80};
    if (setting.empty()) return address;
    const size_t colon = setting.rfind(':');
    address.host = setting.substr(0, colon);
    if (colon != std::string::npos) {
        unsigned port = 0;
        const char* end = setting.data() + setting.size();
        auto [stop, error] = std::from_chars(setting.data() + colon + 1, end, port);
        if (error == std::errc() && stop == end && port > 0 && port < 65536) address.port = static_cast<uint16_t>(port);
    }
    if (address.host.empty()) address.host = kDefaultHost;
    return address;
}

std::string UpdateListRequest(const std::string& host, int32_t product, const std::string& lastDate,
                              const std::string& commonDate) {
    return "GET http://" + host + "/cgi-bin/update_dir.pl?" + query(product, lastDate, commonDate);
}

std::string UpdatePackageRequest(const std::string& host, int32_t product, const std::string& lastDate,
                                 const std::string& commonDate, std::string_view edition) {
    std::string request = "GET http://" + host + "/cgi-bin/update_run.pl?" + query(product, lastDate, commonDate);
    if (edition != kEditionX86) request += "&arch=" + std::string(edition);
    return request;
}

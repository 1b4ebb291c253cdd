// A local update server for tests: on 127.0.0.1, one request line per
// connection, the answer the test chooses, then the connection closed.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class LocalUpdateServer {
public:
    // The answer to one request line, sent in these pieces; between(k) runs
    // before piece k (k >= 1) is sent.
    struct Answer {
        std::vector<std::string> pieces;
        std::function<void(size_t)> between;
    };
    using Handler = std::function<Answer(const std::string& request)>;

    explicit LocalUpdateServer(Handler handler);
    ~LocalUpdateServer();
    LocalUpdateServer(const LocalUpdateServer&) = delete;
    LocalUpdateServer& operator=(const LocalUpdateServer&) = delete;

    uint16_t port() const { return port_; }
    // "127.0.0.1:<port>", as the library's setting takes it.
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> requests() const;

private:
    static DWORD WINAPI run(void* self);
    void serve();

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stopping_{false};
    mutable CRITICAL_SECTION lock_;
    std::vector<std::string> requests_;
};

// Points the update library of this process and of the programs it starts at
// the server, for as long as it lives.
class UpdateServerSetting {
public:
    explicit UpdateServerSetting(const std::string& address) {
        SetEnvironmentVariableA("VARNOK_UPDATE_SERVER", address.c_str());
        _putenv(("VARNOK_UPDATE_SERVER=" + address).c_str());
    }
    ~UpdateServerSetting() {
        SetEnvironmentVariableA("VARNOK_UPDATE_SERVER", nullptr);
        _putenv("VARNOK_UPDATE_SERVER=");
    }
};

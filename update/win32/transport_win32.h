// Talking to the update server: one request line, one answer the server ends
// by closing the connection, with a progress window whose "Stop!" works while
// the transfer blocks.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "update/transport_texts.h"

class TSIMPLESOCKET {
public:
    // Starts Windows Sockets 1.1; none (after telling the user) when it cannot.
    static std::unique_ptr<TSIMPLESOCKET> Create();
    ~TSIMPLESOCKET();
    TSIMPLESOCKET(const TSIMPLESOCKET&) = delete;
    TSIMPLESOCKET& operator=(const TSIMPLESOCKET&) = delete;

    bool Connect(const std::string& host, uint16_t port);
    // The text and a line feed, in one send.
    bool SendText(const std::string& text);
    int Send(const void* buffer, int length);
    // Bytes received, 0 once the server has closed, -1 on failure.
    int Receive(void* buffer, int length);
    bool Close();

private:
    TSIMPLESOCKET() = default;
    SOCKET socket_ = INVALID_SOCKET;
    hostent* host_ = nullptr;
};

// Told (received so far, expected in all); false stops the transfer.
using TransferCallback = std::function<bool(int64_t received, int64_t total)>;

// Set when the user stopped the last transfer.
extern bool StoppedByUser;
// Set when the last transfer's failure has been told the user already (a
// refused connection, a server not found): one failure, one box.
extern bool FailureTold;

// The server the library talks to.
UpdateServerAddress UpdateServer();

// The answer to request, at most capacity bytes; -1 on failure.
int FetchText(const std::string& request, std::string& buffer, size_t capacity, const TransferCallback& callback);
// A package: ten characters of size, then that many bytes. False on failure;
// data holds what arrived (fewer bytes than announced when the server closed
// early). announced is -1 when the size was no size (the user has been told).
bool FetchPackage(const std::string& request, std::vector<uint8_t>& data, int64_t& announced,
                  const TransferCallback& callback);

// The update list, under its progress window; -1 on failure.
int FetchTextWithProgress(const std::string& request, std::string& buffer, size_t capacity);
bool FetchPackageWithProgress(const std::string& request, std::vector<uint8_t>& data, int64_t& announced);

// Tells the user about a socket error, in front of everything.
void ReportSocketError(int code);

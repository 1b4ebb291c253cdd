#include "tests/support/update_server_win32.h"

LocalUpdateServer::LocalUpdateServer(Handler handler) : handler_(std::move(handler)) {
    InitializeCriticalSection(&lock_);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

LocalUpdateServer::~LocalUpdateServer() {
    stopping_ = true;
    closesocket(listener_);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    WSACleanup();
    DeleteCriticalSection(&lock_);
}

std::vector<std::string> LocalUpdateServer::requests() const {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = requests_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI LocalUpdateServer::run(void* self) {
    static_cast<LocalUpdateServer*>(self)->serve();
    return 0;
}

void LocalUpdateServer::serve() {
    while (!stopping_) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) break;
        std::string request;
        char c = 0;
        while (request.size() < 4096 && recv(client, &c, 1, 0) == 1 && c != '\n') request += c;
        EnterCriticalSection(&lock_);
        requests_.push_back(request);
        LeaveCriticalSection(&lock_);
        const Answer answer = handler_(request);
        for (size_t k = 0; k < answer.pieces.size(); ++k) {
            if (k > 0 && answer.between) answer.between(k);
            const std::string& piece = answer.pieces[k];
            size_t sent = 0;
            while (sent < piece.size()) {
                const int n = send(client, piece.data() + sent, static_cast<int>(piece.size() - sent), 0);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
        }
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

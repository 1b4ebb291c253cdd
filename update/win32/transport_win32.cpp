#include "update/win32/transport_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "common/messagebox.h"
#include "common/text.h"
#include "common/ui/dialog.h"
#include "common/ui/help.h"
#include "common/win32/unique_handle.h"
#include "resources/update/resource.h"
#include "update/package.h"
#include "update/win32/module_win32.h"

bool StoppedByUser = false;
bool FailureTold = false;

namespace {

// Written by the progress window's thread, read by the transfer's callbacks.
std::atomic<bool> continueTransfer{false};
// Set when the user pressed "Stop!" (or closed the window) during this transfer.
std::atomic<bool> userStopped{false};
// The connection of the transfer under way: "Stop!" shuts it down, so a
// server that sends nothing cannot keep the program waiting.
std::atomic<SOCKET> transferSocket{INVALID_SOCKET};

constexpr int kPiece = 1024;
constexpr uint32_t kErrorStyle = mb::kIconHand | mb::kSetForeground | mb::kTopMost;

void report(const std::string& text) {
    FailureTold = true;
    ShowMessageBox(nullptr, text, "Error", kErrorStyle);
}

// Receives into buffer until capacity, the server's close, a failure or a stop;
// the callback counts from what arrived before (earlier).
int64_t receiveInto(TSIMPLESOCKET& socket, uint8_t* buffer, size_t capacity, int64_t total,
                    const TransferCallback& callback, bool& failed, size_t earlier = 0) {
    size_t have = 0;
    failed = false;
    while (have < capacity) {
        const int wanted = static_cast<int>(std::min<size_t>(kPiece, capacity - have));
        const int got = socket.Receive(buffer + have, wanted);
        if (got <= 0 && userStopped) {
            StoppedByUser = true;
            break;
        }
        if (got < 0) {
            failed = true;
            break;
        }
        if (got == 0) break;
        have += static_cast<size_t>(got);
        if (callback && !callback(static_cast<int64_t>(earlier + have), total)) {
            StoppedByUser = true;
            break;
        }
    }
    return static_cast<int64_t>(have);
}

// Connects and sends the request; none (the failure already told) when it cannot.
std::unique_ptr<TSIMPLESOCKET> ask(const std::string& request) {
    auto socket = TSIMPLESOCKET::Create();
    if (!socket) return nullptr;
    const UpdateServerAddress server = UpdateServer();
    if (!socket->Connect(server.host, server.port)) return nullptr;
    if (!socket->SendText(request)) {
        socket->Close();
        return nullptr;
    }
    return socket;
}

// One of the two progress windows, made by the program's dialog base: "Stop!",
// its close box and Esc stop the transfer; the transfer's callbacks fill it
// in by messages from their own thread.
class TransferWindow : public Dialog {
public:
    TransferWindow(int dialogId, std::string hostName) : dialogId_(dialogId), hostName_(std::move(hostName)) {
        SetResourceModule(UpdateModule());
    }
    HWND Open() { return Create(nullptr, dialogId_); }
    using Dialog::RunMessages;

private:
    bool OnInit() override {
        SetWindowContextHelpId(handle(), IDH_UPDATE_PROGRESS);
        if (dialogId_ == IDD_LIST_PROGRESS) {
            SetDlgItemTextA(handle(), IDC_PROGRESS_HOST, hostName_.c_str());
            SetDlgItemTextA(handle(), IDC_PROGRESS_BYTES, "0 byte(s)");
        } else {
            SendDlgItemMessageA(handle(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 1000);
            SetDlgItemTextA(handle(), IDC_PROGRESS_SPEED, "n/d");
        }
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDC_PROGRESS_NUMBER: {
            const LPARAM value = reinterpret_cast<LPARAM>(control);
            if (dialogId_ == IDD_LIST_PROGRESS)
                SetDlgItemTextA(handle(), IDC_PROGRESS_BYTES, (SizeText(value) + " byte(s)").c_str());
            else
                SendDlgItemMessageA(handle(), IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(value), 0);
            return true;
        }
        case IDC_PROGRESS_TEXT:
            SetDlgItemTextA(handle(), IDC_PROGRESS_SPEED, reinterpret_cast<const char*>(control));
            return true;
        case IDC_UPDATE_HELP:
            ShowContextHelp(handle(), IDH_UPDATE_PROGRESS);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    // "Stop!" (IDCANCEL), the close box and Esc.
    void OnCancel() override {
        continueTransfer = false;
        userStopped = true;
        const SOCKET connection = transferSocket;
        if (connection != INVALID_SOCKET) shutdown(connection, SD_BOTH);
        Close();
    }

    INT_PTR OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_CLOSE) {
            OnCancel();
            return TRUE;
        }
        if (message == WM_APP) {  // the transfer is over
            Close();
            return TRUE;
        }
        return FALSE;
    }

    int dialogId_;
    std::string hostName_;
};

// The progress window in a thread of its own: the transfer blocks the
// caller's thread in the socket calls, and "Stop!" must still be pressed.
class ProgressWindow {
public:
    ProgressWindow(int dialogId, std::string hostName) : window_(dialogId, std::move(hostName)) {
        continueTransfer = true;
        userStopped = false;
        ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        start_ = localNow();
        thread_.reset(CreateThread(nullptr, 0, run, this, 0, nullptr));
        if (thread_) WaitForSingleObject(ready_.get(), 10000);
    }
    ~ProgressWindow() {
        if (HWND window = shown_) PostMessageA(window, WM_APP, 0, 0);
        // The thread uses this object until it ends.
        if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
        // A stop pressed after the last piece still counts.
        if (userStopped) StoppedByUser = true;
        continueTransfer = false;
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    bool listProgress(int64_t received) {
        if (HWND window = shown_) SendMessageA(window, WM_COMMAND, IDC_PROGRESS_NUMBER, static_cast<LPARAM>(received));
        return continueTransfer;
    }

    bool packageProgress(int64_t received, int64_t total) {
        HWND window = shown_;
        if (!window) return continueTransfer;
        const int64_t position = total > 0 ? 1000 * received / total : 0;
        SendMessageA(window, WM_COMMAND, IDC_PROGRESS_NUMBER, static_cast<LPARAM>(position));
        const double elapsed = static_cast<double>(localNow() - start_) / 10000000.0;
        // Nothing measurable has passed yet: no speed to tell.
        const int64_t speed = elapsed > 0 ? static_cast<int64_t>(static_cast<double>(received) / elapsed) : 0;
        const std::string text = "Is downloaded " + SizeText(received) + "b from " + SizeText(total) +
                                 "b with average speed " + SizeText(speed) + "bps.";
        SendMessageA(window, WM_COMMAND, IDC_PROGRESS_TEXT, reinterpret_cast<LPARAM>(text.c_str()));
        return continueTransfer;
    }

private:
    static int64_t localNow() {
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME time;
        SystemTimeToFileTime(&now, &time);
        return (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    }

    static DWORD WINAPI run(void* self) {
        auto* progress = static_cast<ProgressWindow*>(self);
        progress->shown_ = progress->window_.Open();
        SetEvent(progress->ready_.get());
        progress->window_.RunMessages();
        progress->shown_ = nullptr;
        return 0;
    }

    TransferWindow window_;
    std::atomic<HWND> shown_{nullptr};  // the window while it is up, for the transfer's thread
    int64_t start_ = 0;
    unique_kernel_handle ready_;
    unique_kernel_handle thread_;
};

}  // namespace

std::unique_ptr<TSIMPLESOCKET> TSIMPLESOCKET::Create() {
    WSADATA data;
    if (const int error = WSAStartup(MAKEWORD(1, 1), &data)) {
        report(SocketStartupErrorText(error));
        return nullptr;
    }
    return std::unique_ptr<TSIMPLESOCKET>(new TSIMPLESOCKET);
}

TSIMPLESOCKET::~TSIMPLESOCKET() {
    if (socket_ != INVALID_SOCKET) {
        transferSocket = INVALID_SOCKET;
        closesocket(socket_);
    }
    WSACleanup();
}

bool TSIMPLESOCKET::Connect(const std::string& host, uint16_t port) {
    host_ = gethostbyname(host.c_str());
    if (!host_ || !host_->h_addr_list || !host_->h_addr_list[0]) {
        ReportSocketError(WSAGetLastError());
        return false;
    }
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) {
        ReportSocketError(WSAGetLastError());
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    memcpy(&address.sin_addr, host_->h_addr_list[0], sizeof address.sin_addr);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ReportSocketError(WSAGetLastError());
        return false;
    }
    transferSocket = socket_;
    return true;
}

bool TSIMPLESOCKET::SendText(const std::string& text) {
    const std::string line = text + "\n";
    return Send(line.data(), static_cast<int>(line.size())) == static_cast<int>(line.size());
}

int TSIMPLESOCKET::Send(const void* buffer, int length) {
    const int sent = send(socket_, static_cast<const char*>(buffer), length, 0);
    if (sent == SOCKET_ERROR) {
        ReportSocketError(WSAGetLastError());
        return -1;
    }
    return sent;
}

int TSIMPLESOCKET::Receive(void* buffer, int length) {
    // Waits for data a fifth of a second at a time, looking at the stop in
    // between: a recv blocked in this thread wakes neither for the stop's
    // shutdown (under Wine) nor for anything else a silent server does.
    for (;;) {
        if (userStopped) return -1;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{0, 200000};
        const int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready > 0) break;
        if (ready == SOCKET_ERROR) {
            if (!userStopped) ReportSocketError(WSAGetLastError());
            return -1;
        }
    }
    const int got = recv(socket_, static_cast<char*>(buffer), length, 0);
    if (got == SOCKET_ERROR) {
        // A connection the user's stop shut down is no error to tell about.
        if (!userStopped) ReportSocketError(WSAGetLastError());
        return -1;
    }
    return got;
}

bool TSIMPLESOCKET::Close() {
    const SOCKET s = socket_;
    socket_ = INVALID_SOCKET;
    transferSocket = INVALID_SOCKET;
    if (closesocket(s) != 0) {
        ReportSocketError(WSAGetLastError());
        return false;
    }
    return true;
}

void ReportSocketError(int code) { report(SocketErrorText(code)); }

UpdateServerAddress UpdateServer() {
    const char* setting = std::getenv("VARNOK_UPDATE_SERVER");
    return UpdateServerFrom(setting ? setting : "");
}

int FetchText(const std::string& request, std::string& buffer, size_t capacity, const TransferCallback& callback) {
    StoppedByUser = false;
    FailureTold = false;
    buffer.assign(capacity, '\0');
    auto socket = ask(request);
    if (!socket) return -1;
    bool failed = false;
    const int64_t total = receiveInto(*socket, reinterpret_cast<uint8_t*>(buffer.data()), capacity,
                                      static_cast<int64_t>(capacity), callback, failed);
    socket->Close();
    if (failed) return -1;
    buffer.resize(static_cast<size_t>(total));
    return static_cast<int>(total);
}

bool FetchPackage(const std::string& request, std::vector<uint8_t>& data, int64_t& announced,
                  const TransferCallback& callback) {
    StoppedByUser = false;
    FailureTold = false;
    data.clear();
    announced = 0;
    auto socket = ask(request);
    if (!socket) return false;
    // The size may come in more than one piece.
    char head[10];
    int got = 0;
    while (got < static_cast<int>(sizeof head)) {
        const int piece = socket->Receive(head + got, static_cast<int>(sizeof head) - got);
        if (piece <= 0 && userStopped) {
            StoppedByUser = true;
            socket->Close();
            return true;
        }
        if (piece < 0) {
            socket->Close();
            return false;
        }
        if (piece == 0) break;
        got += piece;
    }
    // The size is a field like the package's own (one that does not convert
    // reads as -1); a size of gigabytes is no package of ours and is refused
    // before any memory is taken for it.
    if (got == sizeof head) announced = PackageNumber(std::string_view(head, sizeof head));
    if (got != sizeof head || announced < 0 || announced > kMaxPackageBytes) {
        ShowMessageBox(nullptr,
                       "Received incorrect answer from the server. Probably the server is busy (for example processing "
                       "a updating of contents). Please repeat attempt later...",
                       "Error...", mb::kIconInformation);
        socket->Close();
        announced = -1;
        return false;
    }
    if (announced == 0) {
        socket->Close();
        return true;
    }
    // Room for the size announced is taken once (it is capped above): a
    // buffer grown by doubling would hold two copies at once as it moves.
    // Only what arrives is written, so the memory a server's word costs is
    // address space, not pages, until the bytes come.
    const size_t limit = static_cast<size_t>(announced);
    data.reserve(limit);
    size_t have = 0;
    bool failed = false;
    while (have < limit) {
        if (data.size() < have + kPiece) data.resize(std::min(limit, have + kPiece));
        have += static_cast<size_t>(
            receiveInto(*socket, data.data() + have, data.size() - have, announced, callback, failed, have));
        if (failed || StoppedByUser || have < data.size()) break;  // a failure, a stop or the server's close
    }
    socket->Close();
    data.resize(have);
    return !failed;
}

int FetchTextWithProgress(const std::string& request, std::string& buffer, size_t capacity) {
    ProgressWindow window(IDD_LIST_PROGRESS, UpdateServer().host);
    return FetchText(request, buffer, capacity,
                     [&](int64_t received, int64_t) { return window.listProgress(received); });
}

bool FetchPackageWithProgress(const std::string& request, std::vector<uint8_t>& data, int64_t& announced) {
    ProgressWindow window(IDD_PACKAGE_PROGRESS, UpdateServer().host);
    return FetchPackage(request, data, announced,
                        [&](int64_t received, int64_t total) { return window.packageProgress(received, total); });
}

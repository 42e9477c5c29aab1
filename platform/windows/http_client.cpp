#include "platform/http_client.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/http_target.h"
#include "platform/windows/utf16.h"
#include "platform/windows/wininet_error.h"

namespace platform {
namespace {

const wchar_t kAgent[] = L"HttpSendRequestEx";
constexpr DWORD kConnectTimeoutMs = 30 * 1000;
// A transfer that moves no byte this long fails.
constexpr DWORD kStallMs = 120 * 1000;
constexpr size_t kBodyPieceBytes = 64 * 1024;
// The largest read asked of the system at once.
constexpr DWORD kMaxReadBytes = 1u << 30;
// How often a request that may be stopped is asked whether to stop while a call blocks.
constexpr DWORD kStopCheckMs = 100;

// No cache, no cookies, no redirects followed and no dialogs: the request on the wire is the
// program's own and its answer goes to the program alone.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;

// Failures of the connection step, after which no byte of the request has left: the server
// was not reached or the secure channel was not set up.
bool FailedBeforeSending(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_CANNOT_CONNECT:
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case ERROR_INTERNET_SEC_INVALID_CERT:
            return true;
        default:
            return false;
    }
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// InternetConnect takes an IPv6 address without its brackets.
std::wstring ServerName(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return Utf16(host.substr(1, host.size() - 2));
    return Utf16(host);
}

INTERNET_PORT PortOf(const HttpTarget& target) {
    if (target.port != 0) return static_cast<INTERNET_PORT>(target.port);
    return target.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
}

struct HandleCloser {
    void operator()(void* handle) const { InternetCloseHandle(static_cast<HINTERNET>(handle)); }
};
using InternetHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

// One internet handle per session, with one connection handle per server; WinINet keeps the
// connections to a server open between requests and reuses them.
struct HttpSession::Pool {
    struct Server {
        std::string host;
        INTERNET_PORT port;
        InternetHandle handle;
    };
    InternetHandle internet;
    std::vector<Server> servers;  // destroyed before the internet handle

    Pool() {
        // The user's own proxy settings apply, as in every other program of the system.
        internet.reset(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet) return;
        SetTimeout(internet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
        SetTimeout(internet.get(), INTERNET_OPTION_SEND_TIMEOUT, kStallMs);
        SetTimeout(internet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, kStallMs);
    }

    HINTERNET Connect(const HttpTarget& target) {
        const INTERNET_PORT port = PortOf(target);
        for (const Server& server : servers) {
            if (server.host == target.host && server.port == port) return server.handle.get();
        }
        if (!internet) return nullptr;
        HINTERNET handle = InternetConnectW(internet.get(), ServerName(target.host).c_str(), port,
                                            nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1);
        if (handle == nullptr) return nullptr;
        servers.push_back(Server{target.host, port, InternetHandle(handle)});
        return handle;
    }
};

HttpSession::HttpSession() : pool_(std::make_unique<Pool>()) {}

HttpSession::~HttpSession() = default;

struct HttpPost::State {
    HINTERNET connection = nullptr;
    std::wstring object;
    DWORD flags = kRequestFlags;
    std::wstring headers;  // each line ends in CR LF
    InternetHandle request;
    int status = 0;
    TransferCounts counts;
    std::function<void(const TransferCounts&)> progress;
    std::function<bool()> stopRequested;
    // Whether any byte of the last attempt's request may have reached the server: a request
    // that never left can be sent again whatever it asks of the server.
    bool requestLeft = false;
    // A blocking call returns only when its handle is closed: a timer asks whether to stop
    // and closes the request handle from its own thread. The lock keeps the handle from
    // being closed twice.
    HANDLE stopTimer = nullptr;
    std::mutex handleLock;
    bool closedByStop = false;

    ~State() {
        if (stopTimer != nullptr) DeleteTimerQueueTimer(nullptr, stopTimer, INVALID_HANDLE_VALUE);
        CloseRequest();
    }

    bool StopAsked() const { return stopRequested && stopRequested(); }

    static void CALLBACK OnStopCheck(void* self, BOOLEAN) {
        auto& s = *static_cast<State*>(self);
        std::lock_guard lock(s.handleLock);
        if (!s.request || s.closedByStop || !s.StopAsked()) return;
        s.closedByStop = true;
        InternetCloseHandle(s.request.get());
    }

    void WatchForStop() {
        if (!stopRequested || stopTimer != nullptr) return;
        CreateTimerQueueTimer(&stopTimer, nullptr, &State::OnStopCheck, this, kStopCheckMs,
                              kStopCheckMs, WT_EXECUTEDEFAULT);
    }

    void ReplaceRequest(HINTERNET handle) {
        std::lock_guard lock(handleLock);
        if (closedByStop) static_cast<void>(request.release());
        closedByStop = false;
        request.reset(handle);
    }
    void CloseRequest() { ReplaceRequest(nullptr); }

    bool Fail(std::string* error, DWORD code) {
        // The stop's own error, whatever the closed handle made the call say.
        if (StopAsked()) code = ERROR_INTERNET_OPERATION_CANCELLED;
        *error = WinInetErrorText(code);
        CloseRequest();
        return false;
    }
    bool Fail(std::string* error) { return Fail(error, GetLastError()); }

    void Report() {
        if (progress) progress(counts);
    }

    bool Open(uint64_t size) {
        const wchar_t* accept[] = {L"*/*", nullptr};
        ReplaceRequest(HttpOpenRequestW(connection, L"POST", object.c_str(), nullptr, nullptr,
                                        accept, flags, 0));
        if (!request) return false;
        // The length goes as a header of its own: the send call's count is 32 bits wide.
        std::wstring lines = headers + L"Content-Length: " + std::to_wstring(size) + L"\r\n";
        return HttpAddRequestHeadersW(request.get(), lines.c_str(), static_cast<DWORD>(-1),
                                      HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE) != FALSE;
    }

    bool WriteBody(BodySource& body, std::string* error) {
        std::vector<char> piece(kBodyPieceBytes);
        while (counts.sent < counts.toSend) {
            long long got = body.ReadAt(counts.sent, piece.data(), piece.size());
            if (got <= 0) return Fail(error, ERROR_READ_FAULT);
            DWORD written = 0;
            if (!InternetWriteFile(request.get(), piece.data(), static_cast<DWORD>(got),
                                   &written) ||
                written != static_cast<DWORD>(got)) {
                return Fail(error);
            }
            counts.sent += written;
            Report();
            if (StopAsked()) return Fail(error, ERROR_INTERNET_OPERATION_CANCELLED);
        }
        return true;
    }

    uint64_t QueryNumber(DWORD query) {
        wchar_t text[32] = {};
        DWORD size = sizeof text;
        if (!HttpQueryInfoW(request.get(), query, text, &size, nullptr)) return 0;
        return std::wcstoull(text, nullptr, 10);
    }
};

HttpPost::HttpPost(const HttpTarget& target, const std::string& objectName, HttpSession& session)
    : state_(std::make_unique<State>()) {
    state_->connection = session.pool_->Connect(target);
    state_->object = Utf16("/" + EncodeRequestTarget(objectName));
    if (target.secure) state_->flags |= INTERNET_FLAG_SECURE;
}

HttpPost::~HttpPost() = default;

bool HttpPost::Valid() const {
    return state_->connection != nullptr;
}

void HttpPost::AddHeader(const std::string& line) {
    state_->headers += Utf16(line) + L"\r\n";
}

void HttpPost::OnProgress(std::function<void(const TransferCounts&)> progress) {
    state_->progress = std::move(progress);
}

void HttpPost::StopWhen(std::function<bool()> stopRequested) {
    state_->stopRequested = std::move(stopRequested);
}

bool HttpPost::Send(BodySource& body, std::string* error) {
    State& s = *state_;
    s.status = 0;
    s.requestLeft = false;
    s.counts = TransferCounts{};
    s.counts.toSend = body.Size();
    if (s.StopAsked()) return s.Fail(error, ERROR_INTERNET_OPERATION_CANCELLED);
    if (!s.Open(s.counts.toSend)) return s.Fail(error);
    s.WatchForStop();
    INTERNET_BUFFERSW buffers = {};
    buffers.dwStructSize = sizeof buffers;
    if (!HttpSendRequestExW(s.request.get(), &buffers, nullptr, 0, 0)) {
        const DWORD code = GetLastError();
        s.requestLeft = !FailedBeforeSending(code);
        return s.Fail(error, code);
    }
    s.requestLeft = true;
    if (!s.WriteBody(body, error)) return false;
    if (!HttpEndRequestW(s.request.get(), nullptr, 0, 0)) return s.Fail(error);
    s.status = static_cast<int>(s.QueryNumber(HTTP_QUERY_STATUS_CODE));
    // A connection closed before a status line came: the request went and no answer came.
    if (s.status == 0) return s.Fail(error, ERROR_INTERNET_CONNECTION_ABORTED);
    s.counts.toReceive = s.QueryNumber(HTTP_QUERY_CONTENT_LENGTH);
    s.Report();
    return true;
}

bool HttpPost::RequestWritten() const {
    return state_->requestLeft;
}

int HttpPost::StatusCode() const {
    return state_->status;
}

bool HttpPost::Read(char* buf, size_t max, size_t* got, std::string* error) {
    State& s = *state_;
    *got = 0;
    if (!s.request) return true;
    if (s.StopAsked()) return s.Fail(error, ERROR_INTERNET_OPERATION_CANCELLED);
    DWORD count = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(max, kMaxReadBytes));
    if (!InternetReadFile(s.request.get(), buf, want, &count)) return s.Fail(error);
    // An answer that ends before its announced length was cut, not finished.
    if (count == 0 && s.counts.received < s.counts.toReceive)
        return s.Fail(error, ERROR_INTERNET_CONNECTION_ABORTED);
    *got = count;
    s.counts.received += count;
    if (count > 0) s.Report();
    return true;
}

bool CheckConnection(const std::string& url, int /*timeoutSeconds*/) {
    return InternetCheckConnectionW(Utf16(url).c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

}  // namespace platform

#include "platform/http_client.h"

#include <curl/curl.h>
#include <fcntl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/http_target.h"

namespace platform {
namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 120;
constexpr long kReceiveBufferBytes = 64 * 1024;
// Answer bytes received and not yet read, beyond which the transfer waits for the reader.
constexpr size_t kHeldAnswerBytes = 256 * 1024;
constexpr int kPollMilliseconds = 1000;
// A kept connection idle this long is not reused: servers close idle connections after a few
// seconds (5 s is common), and a request sent just as the server closes would be lost.
constexpr long kIdleReuseSeconds = 2;
// Connections a session keeps open at most (one per server is the rule).
constexpr long kKeptConnections = 4;

// libcurl wants one global initialisation before any handle. It is made once, on first use
// (the static's guard keeps two threads from racing into it), and never undone: this code
// also runs inside other programs' processes, which may use libcurl themselves after the
// provider is unloaded. libcurl counts initialisations, so a host's own pair still balances.
void EnsureCurlInitialised() {
    [[maybe_unused]] static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
}

// The conventional variables name another bundle of trusted certificates; libcurl
// itself only reads them in its command-line tool.
const char* TrustedBundle() {
    for (const char* name : {"SSL_CERT_FILE", "CURL_CA_BUNDLE"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return nullptr;
}

// Sockets are not inherited by programs the process starts (the provider starts a comparison
// program), so a kept connection ends when its owner closes it.
int CloseOnExec(void*, curl_socket_t socket, curlsocktype) {
    int flags = fcntl(socket, F_GETFD);
    if (flags >= 0) fcntl(socket, F_SETFD, flags | FD_CLOEXEC);
    return CURL_SOCKOPT_OK;
}

}  // namespace

struct HttpSession::Pool {
    CURLM* multi = nullptr;
    std::vector<CURL*> idle;  // handles whose last transfer ended properly

    Pool() {
        EnsureCurlInitialised();
        multi = curl_multi_init();
        if (multi != nullptr) curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, kKeptConnections);
    }
    ~Pool() {
        for (CURL* easy : idle) curl_easy_cleanup(easy);
        if (multi != nullptr) curl_multi_cleanup(multi);
    }
};

HttpSession::HttpSession() : pool_(std::make_unique<Pool>()) {}

HttpSession::~HttpSession() = default;

struct HttpPost::State {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    HttpSession::Pool* pool = nullptr;
    curl_slist* headers = nullptr;
    std::string url;
    bool secure = false;
    bool valid = false;

    BodySource* body = nullptr;
    uint64_t bodyOffset = 0;

    std::string pending;  // answer bytes received but not yet read
    size_t pendingPos = 0;
    bool paused = false;
    bool headersDone = false;
    bool finished = false;
    bool attached = false;
    bool repeatStopped = false;  // libcurl was kept from sending a written request again
    bool requestWritten = false;
    CURLcode result = CURLE_OK;
    long status = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::function<void(const TransferCounts&)> progress;
    std::function<bool()> stopRequested;

    ~State() {
        // Removing an unfinished transfer makes libcurl close its connection, so an answer
        // left unread is never taken for the next request's.
        Detach();
        if (easy != nullptr && finished && result == CURLE_OK) {
            pool->idle.push_back(easy);
        } else if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        curl_slist_free_all(headers);
    }

    void Detach() {
        if (attached) curl_multi_remove_handle(multi, easy);
        attached = false;
    }

    std::string ErrorText() const {
        // A stopped repeat failed because the first connection closed without an answer.
        std::string text = repeatStopped            ? curl_easy_strerror(CURLE_GOT_NOTHING)
                           : errorBuffer[0] != '\0' ? errorBuffer
                                                    : curl_easy_strerror(result);
        return text + "\n";
    }

    // Bytes of the request written to a connection in this attempt, over every connection
    // libcurl tried (it counts on across its own repeats).
    bool AnyRequestByteWritten() const {
        long headBytes = 0;
        curl_off_t bodyBytes = 0;
        curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &headBytes);
        curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &bodyBytes);
        return headBytes > 0 || bodyBytes > 0;
    }

    // Called before each request goes out on a connection. libcurl sends a request again by
    // itself on another connection when a reused one closed without a byte of answer; that is
    // only safe while nothing of the request was written, so otherwise it is stopped here.
    static int OnRequestStart(void* user, char*, char*, int, int) {
        auto* self = static_cast<State*>(user);
        if (!self->AnyRequestByteWritten()) return CURL_PREREQFUNC_OK;
        self->repeatStopped = true;
        return CURL_PREREQFUNC_ABORT;
    }

    // An answer in many small chunks comes in many calls per socket read: they are gathered
    // rather than each pausing the transfer, which would make libcurl keep a copy of the
    // rest of its buffer and hand it over again. Only a reader this far behind holds it back.
    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<State*>(user);
        if (self->pending.size() - self->pendingPos >= kHeldAnswerBytes) {
            self->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        self->headersDone = true;
        if (self->pendingPos == self->pending.size()) {
            self->pending.clear();
            self->pendingPos = 0;
        }
        self->pending.append(data, size * count);
        return size * count;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<State*>(user);
        size_t length = size * count;
        std::string line(data, length);
        if (line.rfind("HTTP/", 0) == 0) {
            size_t space = line.find(' ');
            self->status = space == std::string::npos ? 0 : std::atol(line.c_str() + space + 1);
        } else if ((line == "\r\n" || line == "\n") && self->status >= 200) {
            self->headersDone = true;
        }
        return length;
    }

    static size_t OnBodyRequest(char* buffer, size_t size, size_t count, void* user) {
        auto* self = static_cast<State*>(user);
        long long got = self->body->ReadAt(self->bodyOffset, buffer, size * count);
        if (got < 0) return CURL_READFUNC_ABORT;
        self->bodyOffset += static_cast<uint64_t>(got);
        return static_cast<size_t>(got);
    }

    static int OnProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                          curl_off_t ulnow) {
        auto* self = static_cast<State*>(user);
        TransferCounts counts;
        counts.sent = static_cast<uint64_t>(ulnow);
        counts.toSend = static_cast<uint64_t>(ultotal);
        counts.received = static_cast<uint64_t>(dlnow);
        counts.toReceive = static_cast<uint64_t>(dltotal);
        if (self->progress) self->progress(counts);
        // Non-zero makes libcurl abort the transfer.
        return self->stopRequested && self->stopRequested() ? 1 : 0;
    }

    static int OnSeek(void* user, curl_off_t offset, int origin) {
        auto* self = static_cast<State*>(user);
        if (origin != SEEK_SET || offset < 0) return CURL_SEEKFUNC_CANTSEEK;
        self->bodyOffset = static_cast<uint64_t>(offset);
        return CURL_SEEKFUNC_OK;
    }

    void Configure() {
        curl_easy_reset(easy);
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->Size()));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &State::OnBodyRequest);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &State::OnSeek);
        curl_easy_setopt(easy, CURLOPT_SEEKDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &State::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &State::OnHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, "HttpSendRequestEx");
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
        curl_easy_setopt(easy, CURLOPT_MAXAGE_CONN, kIdleReuseSeconds);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &CloseOnExec);
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &State::OnRequestStart);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
        if (progress || stopRequested) {
            curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &State::OnProgress);
            curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
            curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        }
        if (const char* bundle = TrustedBundle()) curl_easy_setopt(easy, CURLOPT_CAINFO, bundle);
    }

    void ResetTransfer(BodySource* source) {
        Detach();
        body = source;
        bodyOffset = 0;
        pending.clear();
        pendingPos = 0;
        paused = headersDone = finished = repeatStopped = requestWritten = false;
        result = CURLE_OK;
        status = 0;
        errorBuffer[0] = '\0';
        Configure();
        curl_multi_add_handle(multi, easy);
        attached = true;
    }

    // Lets libcurl move the transfer on, waiting up to one poll interval for the socket.
    void Pump() {
        int running = 0;
        CURLMcode code = curl_multi_perform(multi, &running);
        int left = 0;
        // A session's other request, still open, may finish here: each outcome goes to the
        // request it belongs to.
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            char* owner = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
            if (owner == nullptr) continue;
            State* done = reinterpret_cast<State*>(owner);
            done->finished = true;
            done->result = message->data.result;
        }
        if (code != CURLM_OK && !finished) {
            finished = true;
            result = CURLE_RECV_ERROR;
        }
        if (!finished && running > 0 && pendingPos >= pending.size()) {
            curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
        }
    }
};

HttpPost::HttpPost(const HttpTarget& target, const std::string& objectName, HttpSession& session)
    : state_(std::make_unique<State>()) {
    EnsureCurlInitialised();
    state_->secure = target.secure;
    std::string url = (target.secure ? "https://" : "http://") + target.host;
    if (target.port != 0) url += ":" + std::to_string(target.port);
    url += "/" + EncodeRequestTarget(objectName);

    CURLU* parsed = curl_url();
    bool wellFormed =
        parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    curl_url_cleanup(parsed);

    state_->url = url;
    HttpSession::Pool& pool = *session.pool_;
    state_->pool = &pool;
    state_->multi = pool.multi;
    if (!pool.idle.empty()) {
        state_->easy = pool.idle.back();
        pool.idle.pop_back();
    } else {
        state_->easy = curl_easy_init();
    }
    // An empty Expect keeps libcurl from waiting for "100 Continue" on large bodies.
    state_->headers = curl_slist_append(nullptr, "Expect:");
    state_->valid = wellFormed && state_->multi != nullptr && state_->easy != nullptr;
}

HttpPost::~HttpPost() = default;

bool HttpPost::Valid() const {
    return state_->valid;
}

void HttpPost::AddHeader(const std::string& line) {
    state_->headers = curl_slist_append(state_->headers, line.c_str());
}

void HttpPost::OnProgress(std::function<void(const TransferCounts&)> progress) {
    state_->progress = std::move(progress);
}

void HttpPost::StopWhen(std::function<bool()> stopRequested) {
    state_->stopRequested = std::move(stopRequested);
}

bool HttpPost::Send(BodySource& body, std::string* error) {
    state_->ResetTransfer(&body);
    while (!state_->headersDone && !state_->finished) state_->Pump();
    if (state_->headersDone) return true;
    if (state_->result == CURLE_OK) state_->result = CURLE_GOT_NOTHING;
    state_->requestWritten = state_->repeatStopped || state_->AnyRequestByteWritten();
    *error = state_->ErrorText();
    return false;
}

bool HttpPost::RequestWritten() const {
    return state_->requestWritten;
}

int HttpPost::StatusCode() const {
    return static_cast<int>(state_->status);
}

bool HttpPost::Read(char* buf, size_t max, size_t* got, std::string* error) {
    *got = 0;
    State& s = *state_;
    for (;;) {
        if (s.pendingPos < s.pending.size()) {
            *got = std::min(max, s.pending.size() - s.pendingPos);
            std::memcpy(buf, s.pending.data() + s.pendingPos, *got);
            s.pendingPos += *got;
            return true;
        }
        if (s.finished) {
            if (s.result == CURLE_OK) return true;
            *error = s.ErrorText();
            return false;
        }
        if (s.paused) {
            s.paused = false;
            curl_easy_pause(s.easy, CURLPAUSE_CONT);
            continue;
        }
        s.Pump();
    }
}

bool CheckConnection(const std::string& url, int timeoutSeconds) {
    EnsureCurlInitialised();
    CURL* easy = curl_easy_init();
    if (easy == nullptr) return false;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // The check is about the host itself, not about a proxy in front of it.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    if (const char* bundle = TrustedBundle()) curl_easy_setopt(easy, CURLOPT_CAINFO, bundle);
    CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    return code == CURLE_OK;
}

}  // namespace platform

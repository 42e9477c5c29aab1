#include "server/http/edge.h"

#include <microhttpd.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "server/http/framing.h"
#include "server/http/listener.h"
#include "server/statuses.h"
#include "server/storage/storage.h"

namespace server::http {

struct EdgeState {
    Site& site;
    EdgeSettings settings;
};

namespace {

// Each answer made while the client reads keeps at most this much ready beyond its piece.
constexpr std::size_t kAnswerBlock = 256 << 10;
// Holds a connection's head, its reads and each piece of an answer of unknown length; a larger
// head is refused. Pages a connection never touches cost nothing: 3,000 idle connections
// measured 19 MiB in all, and smaller pieces slowed a large download down.
constexpr std::size_t kConnectionMemory = 256 << 10;
constexpr int kBadRequest = 400;

// One request between its head and its answer.
struct Call {
    std::unique_ptr<Exchange> exchange;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::uint64_t received = 0;
};

// An answer produced as the client reads it.
struct Stream {
    EdgeAnswer answer;
    std::string piece;
    std::size_t offset = 0;
    std::string problem;
};

ssize_t ReadStream(void* cls, std::uint64_t, char* buffer, std::size_t max) {
    auto* stream = static_cast<Stream*>(cls);
    try {
        while (stream->offset == stream->piece.size()) {
            stream->offset = 0;
            stream->piece.clear();
            if (!stream->answer.pieces(stream->piece)) return MHD_CONTENT_READER_END_OF_STREAM;
        }
    } catch (const std::exception& error) {
        stream->problem = error.what();
        return MHD_CONTENT_READER_END_WITH_ERROR;
    }
    const std::size_t count = std::min(max, stream->piece.size() - stream->offset);
    std::memcpy(buffer, stream->piece.data() + stream->offset, count);
    stream->offset += count;
    return static_cast<ssize_t>(count);
}

void EndStream(void* cls) {
    std::unique_ptr<Stream> stream(static_cast<Stream*>(cls));
    if (stream->answer.finished) stream->answer.finished(stream->problem);
}

MHD_Result Queue(MHD_Connection* connection, EdgeAnswer answer) {
    MHD_Response* response = nullptr;
    const int status = answer.httpStatus;
    const char* type = answer.contentType;
    const bool close = answer.close;
    if (answer.pieces) {
        auto stream = std::make_unique<Stream>();
        stream->answer = std::move(answer);
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kAnswerBlock, ReadStream,
                                                     stream.get(), EndStream);
        if (response != nullptr) stream.release();
    } else {
        response = MHD_create_response_from_buffer(answer.body.size(), answer.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
        if (answer.finished) answer.finished("");
    }
    if (response == nullptr) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    if (close) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result CollectHeader(void* cls, MHD_ValueKind, const char* key, std::size_t keySize,
                         const char* value, std::size_t valueSize) {
    static_cast<std::vector<HeaderLine>*>(cls)->push_back(
        {std::string(key, keySize), value != nullptr ? std::string(value, valueSize) : ""});
    return MHD_YES;
}

std::string ClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return info != nullptr ? AddressText(info->client_addr) : "";
}

// The first call for a request: its head has arrived, its body not yet.
MHD_Result Start(EdgeState& daemon, MHD_Connection* connection, const char* url, const char* method,
                 void** context) {
    std::vector<HeaderLine> headers;
    MHD_get_connection_values_n(connection, MHD_HEADER_KIND, CollectHeader, &headers);
    const Framing framing = ReadFraming(headers);
    if (!framing.sound) {
        EdgeAnswer refusal;
        refusal.httpStatus = kBadRequest;
        refusal.body = "Bad request\n";
        refusal.close = true;
        return Queue(connection, std::move(refusal));
    }
    RequestHead head{method, url, framing.contentType, framing.contentLength,
                     ClientAddress(connection)};
    EdgeAnswer refusal;
    std::unique_ptr<Exchange> exchange = daemon.site.Open(head, refusal);
    if (!exchange) {
        refusal.close = true;
        return Queue(connection, std::move(refusal));
    }
    auto call = std::make_unique<Call>();
    call->exchange = std::move(exchange);
    *context = call.release();
    return MHD_YES;
}

// Whether a body still arrives at the pace a client sending in earnest keeps.
bool KeepsPace(const EdgeSettings& settings, const Call& call) {
    const auto elapsed = std::chrono::steady_clock::now() - call.started;
    if (elapsed <= settings.bodyGrace) return true;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    return static_cast<double>(call.received) / seconds >= settings.minBodyBytesPerSecond;
}

MHD_Result Handle(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char*, const char* data, std::size_t* size, void** context) {
    EdgeState& daemon = *static_cast<EdgeState*>(cls);
    try {
        if (*context == nullptr) return Start(daemon, connection, url, method, context);
        Call& call = *static_cast<Call*>(*context);
        if (*size != 0) {
            call.received += *size;
            if (!call.exchange->Receive(data, *size) || !KeepsPace(daemon.settings, call))
                return MHD_NO;
            *size = 0;
            return MHD_YES;
        }
        if (!call.exchange) return MHD_NO;
        EdgeAnswer answer = call.exchange->Finish();
        call.exchange.reset();
        if (answer.pieces) {
            MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT,
                                      static_cast<unsigned>(daemon.settings.answerTimeout.count()));
        }
        return Queue(connection, std::move(answer));
    } catch (const std::exception&) {
        return MHD_NO;  // never through the library's C frames; the connection ends
    }
}

void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<Call*>(*context);
    *context = nullptr;
}

}  // namespace

Edge::Edge(const EdgeSettings& settings, Site& site) : state_(new EdgeState{site, settings}) {
    std::vector<MHD_OptionItem> options = {
        {MHD_OPTION_LISTEN_SOCKET, settings.listeningSocket, nullptr},
        {MHD_OPTION_THREAD_POOL_SIZE, static_cast<intptr_t>(settings.threads), nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(settings.idleTimeout.count()),
         nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(settings.connectionLimit), nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<intptr_t>(settings.connectionsPerAddress),
         nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(kConnectionMemory), nullptr},
        {MHD_OPTION_STRICT_FOR_CLIENT, 1, nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Completed), nullptr},
    };
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD;
    if (!settings.tlsCertificatePem.empty()) {
        flags |= MHD_USE_TLS;
        options.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0,
                           const_cast<char*>(state_->settings.tlsCertificatePem.c_str())});
        options.push_back(
            {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(state_->settings.tlsKeyPem.c_str())});
    }
    options.push_back({MHD_OPTION_END, 0, nullptr});
    daemon_ = MHD_start_daemon(flags, 0, nullptr, nullptr, &Handle, state_.get(), MHD_OPTION_ARRAY,
                               options.data(), MHD_OPTION_END);
    if (daemon_ == nullptr) {
        throw StartupError(text::kEdgeRefused);
    }
}

Edge::~Edge() {
    MHD_stop_daemon(daemon_);
}

}  // namespace server::http

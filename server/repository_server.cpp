#include "server/repository_server.h"

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

#include "common/format.h"
#include "server/answer.h"
#include "server/form.h"
#include "server/paced_server.h"
#include "server/refusal.h"
#include "server/request_log.h"
#include "server/statuses.h"

namespace server {
namespace {

constexpr const char* kAnswerType = "text/plain";
// Archives are compressed already; this type keeps the HTTP layer from compressing again.
constexpr const char* kRecordsType = "application/octet-stream";
constexpr int kKeepAliveRequests = 100;
constexpr int kTransferTimeoutSeconds = 120;
constexpr int kNotFound = 404;
constexpr std::chrono::milliseconds kStopRetry{10};
// Unless the file limit is set apart, an archive may unpack to this many times the request
// limit: room for text that packs well, while a small upload of zeros cannot make the
// server inflate without end.
constexpr std::uint64_t kUnpackedPerRequestByte = 4;

std::string RoutePattern(const std::string& prefix, const std::string& script) {
    std::string path = "/";
    const std::size_t first = prefix.find_first_not_of("/\\");
    if (first != std::string::npos) {
        const std::size_t last = prefix.find_last_not_of("/\\");
        path += prefix.substr(first, last - first + 1) + "/";
    }
    path += script;
    // Routes are regular expressions: every special character stands for itself here.
    std::string pattern;
    for (char c : path) {
        if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

std::unique_ptr<httplib::Server> MakeHttpServer(const ServeOptions& options) {
    if (options.tlsCertificate.empty()) {
        return std::make_unique<PacedServer>(
            Pacing{options.threads, kKeepAliveRequests, options.headDeadline, options.bodyPace});
    }
    // The library's TLS server keeps its own connection handling: a thread per connection
    // and a timeout per read (see the README).
    auto server = std::make_unique<httplib::SSLServer>(options.tlsCertificate.c_str(),
                                                       options.tlsKey.c_str());
    if (!server->is_valid()) {
        throw StartupError("Cannot use the TLS certificate '" + options.tlsCertificate +
                           "' with the key '" + options.tlsKey + "'.");
    }
    const std::size_t threads = options.threads;
    server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    return server;
}

Reply Refused(int status, const std::string& text, const Script& script) {
    Reply reply;
    reply.status = status;
    reply.body = KeywordAnswer::Failure(status, text, script.answersRecords);
    return reply;
}

// The unread rest of a refused body must never be read as the next request. The HTTP
// library keeps a connection open unless writing the answer fails, so the answer is written
// whole and then reported as failed.
void AnswerAndClose(httplib::Response& response, std::string body) {
    response.set_header("Connection", "close");
    auto text = std::make_shared<std::string>(std::move(body));
    response.set_content_provider(
        text->size(), kAnswerType,
        [text](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            sink.write(text->data() + offset, length);
            return false;
        });
}

}  // namespace

std::string ShownAddress(const std::string& host, int port) {
    const std::string shownHost = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return shownHost + ":" + std::to_string(port);
}

RepositoryServer::RepositoryServer(ServeOptions options) : options_(std::move(options)) {
    std::unique_ptr<Storage> storage =
        OpenStorage(StorageOptions{options_.dataFolder, options_.databaseUrl});
    storage->PrepareToServe();
    state_ = std::make_unique<ServerState>(
        std::move(storage),
        options_.maxFileBytes != 0
            ? options_.maxFileBytes
            : kUnpackedPerRequestByte * std::uint64_t{options_.maxRequestBytes});
    http_ = MakeHttpServer(options_);
    http_->set_payload_max_length(options_.maxRequestBytes);
    // Answers go out as a head and a body; without this the second write waits for the
    // client's delayed acknowledgement.
    http_->set_tcp_nodelay(true);
    http_->set_keep_alive_max_count(kKeepAliveRequests);
    http_->set_read_timeout(kTransferTimeoutSeconds);
    http_->set_write_timeout(kTransferTimeoutSeconds);
    http_->set_socket_options([this](socket_t socket) {
        // Reuse of an address lets a restarted server listen while the old connections wait
        // out their close. The library's default also shares the port (SO_REUSEPORT) with a
        // second server, which then answers half the requests from another data folder.
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listeningSocket_ = socket;
    });
    http_->set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        TakeOverFormParsing(request);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    http_->set_error_handler([](const httplib::Request& request, httplib::Response& response) {
        if (response.status == kNotFound) response.set_content("Unknown script\n", kAnswerType);
        LogRequest(request.path, "-", response.status, std::chrono::steady_clock::now());
    });
    for (const Script& script : AllScripts()) AddRoute(script);
}

RepositoryServer::~RepositoryServer() = default;

int RepositoryServer::Bind() {
    errno = 0;
    const int port = options_.port == 0
                         ? http_->bind_to_any_port(options_.host)
                         : (http_->bind_to_port(options_.host, options_.port) ? options_.port : -1);
    if (port < 0) {
        const std::string reason = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
        throw StartupError(brelmox::FormatMessage(
            text::kCannotListen, ShownAddress(options_.host, options_.port), reason));
    }
    // The HTTP library listens with a backlog of 5: a burst of clients connecting at once
    // (the client opens a connection per request) lost handshakes. Listening again on the
    // bound socket widens it.
    listen(listeningSocket_, SOMAXCONN);
    return port;
}

void RepositoryServer::Run() {
    {
        std::lock_guard<std::mutex> lock(runMutex_);
        if (stopRequested_) return;
        running_ = true;
    }
    http_->listen_after_bind();
    std::lock_guard<std::mutex> lock(runMutex_);
    running_ = false;
    runEnded_.notify_all();
}

void RepositoryServer::Stop() {
    std::unique_lock<std::mutex> lock(runMutex_);
    stopRequested_ = true;
    // The HTTP server ignores a stop until its listening loop has begun, which may still
    // be on its way; so the stop is repeated until serving has ended.
    while (running_) {
        lock.unlock();
        http_->stop();
        lock.lock();
        runEnded_.wait_for(lock, kStopRetry, [this] { return !running_; });
    }
}

void RepositoryServer::AddRoute(const Script& script) {
    http_->Post(RoutePattern(options_.prefix, script.name),
                [this, &script](const httplib::Request& request, httplib::Response& response,
                                const httplib::ContentReader& reader) {
                    Serve(script, request, response, reader);
                });
}

void RepositoryServer::Serve(const Script& script, const httplib::Request& request,
                             httplib::Response& response, const httplib::ContentReader& reader) {
    const auto started = std::chrono::steady_clock::now();
    Outcome outcome;
    Reply reply = Handle(script, request, response, reader, outcome);
    // Refusals are answers too: the client reads the keyword fields of any 200 answer.
    response.status = 200;
    if (!reply.records) {
        if (outcome.bodyRead) {
            response.set_content(reply.body, kAnswerType);
        } else {
            AnswerAndClose(response, std::move(reply.body));
        }
        LogRequest(script.name, outcome.user, reply.status, started, outcome.problem);
        return;
    }
    std::shared_ptr<RecordStream> records = reply.records;
    auto piece = std::make_shared<std::string>();
    auto problem = std::make_shared<std::string>();
    response.set_chunked_content_provider(
        kRecordsType,
        [records, piece, problem](std::size_t, httplib::DataSink& sink) {
            try {
                if (records->Next(*piece)) return sink.write(piece->data(), piece->size());
            } catch (const std::exception& error) {
                *problem = error.what();
                return false;  // ends the connection: the client sees a cut answer
            }
            sink.done();
            return true;
        },
        [records, problem, name = std::string(script.name), user = outcome.user, started](bool) {
            LogRequest(name, user, records->LastFailure(), started, *problem);
        });
}

Reply RepositoryServer::Handle(const Script& script, const httplib::Request& request,
                               httplib::Response& response, const httplib::ContentReader& reader,
                               Outcome& outcome) {
    try {
        Form form = ReadForm(request, response, reader, *state_->storage, options_.maxRequestBytes,
                             [this](const Form& fields) { RequireUploader(*state_, fields); });
        outcome.bodyRead = true;
        outcome.user = form.Optional("username");
        return script.run(*state_, form);
    } catch (const Refusal& refusal) {
        return Refused(refusal.Status(), refusal.what(), script);
    } catch (const std::exception& error) {
        outcome.problem = error.what();
        return Refused(own_status::kStorageFailure, text::kStorageFailure, script);
    }
}

}  // namespace server

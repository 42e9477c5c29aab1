#include "server/repository_server.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "server/http/request_log.h"
#include "server/refusal.h"
#include "server/scripts/answer.h"
#include "server/statuses.h"

namespace server {
namespace {

constexpr const char* kAnswerType = "text/plain";
// Archives are compressed already; this type keeps the HTTP layer from compressing again.
constexpr const char* kRecordsType = "application/octet-stream";
constexpr int kNotFound = 404;
// Unless the file limit is set apart, an archive may unpack to this many times the request
// limit: room for text that packs well, while a small upload of zeros cannot make the
// server inflate without end.
constexpr std::uint64_t kUnpackedPerRequestByte = 4;

std::string RoutePath(const std::string& prefix, const std::string& script) {
    std::string path = "/";
    const std::size_t first = prefix.find_first_not_of("/\\");
    if (first != std::string::npos) {
        const std::size_t last = prefix.find_last_not_of("/\\");
        path += prefix.substr(first, last - first + 1) + "/";
    }
    return path + script;
}

[[noreturn]] void RefuseTls(const ServeOptions& options) {
    throw StartupError("Cannot use the TLS certificate '" + options.tlsCertificate +
                       "' with the key '" + options.tlsKey + "'.");
}

std::string ReadPem(const std::string& path, const ServeOptions& options) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file || text.str().empty()) RefuseTls(options);
    return text.str();
}

Reply Refused(int status, const std::string& text, const Script& script) {
    Reply reply;
    reply.status = status;
    reply.body = KeywordAnswer::Failure(status, text, script.answersRecords);
    return reply;
}

// One script's request: its body parsed as it arrives, the script run once it is complete.
class ScriptExchange : public http::Exchange {
  public:
    ScriptExchange(ServerState& state, const Script& script, const http::RequestHead& head,
                   std::size_t sizeLimit)
        : state_(state),
          script_(script),
          sizeLimit_(sizeLimit),
          form_(head.contentType, head.clientAddress, *state.storage, UploadGate(state)) {}

    bool Receive(const char* data, std::size_t size) override {
        // Only a chunked body can pass the limit its head did not tell.
        received_ += size;
        if (received_ > sizeLimit_) return false;
        form_.Feed(data, size);
        return true;
    }

    http::EdgeAnswer Finish() override {
        Reply reply = Run();
        http::EdgeAnswer answer;
        if (!reply.records) {
            answer.contentType = kAnswerType;
            answer.body = std::move(reply.body);
            // A body refused as a whole was read to its end without being kept; the
            // connection still ends, as nothing the client sends next is wanted.
            answer.close = !bodyRead_;
            LogRequest(script_.name, user_, reply.status, started_, problem_);
            return answer;
        }
        std::shared_ptr<RecordStream> records = reply.records;
        answer.contentType = kRecordsType;
        answer.pieces = [records](std::string& piece) { return records->Next(piece); };
        answer.finished = [records, name = std::string(script_.name), user = user_,
                           started = started_](const std::string& problem) {
            LogRequest(name, user, records->LastFailure(), started, problem);
        };
        return answer;
    }

  private:
    Reply Run() {
        try {
            Form form = form_.Finish();
            bodyRead_ = true;
            user_ = form.Optional("username");
            return script_.run(state_, form);
        } catch (const Refusal& refusal) {
            return Refused(refusal.Status(), refusal.what(), script_);
        } catch (const std::exception& error) {
            problem_ = error.what();
            return Refused(own_status::kStorageFailure, text::kStorageFailure, script_);
        }
    }

    ServerState& state_;
    const Script& script_;
    const std::size_t sizeLimit_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    FormReceiver form_;
    std::uint64_t received_ = 0;
    bool bodyRead_ = false;
    std::string user_;
    std::string problem_;  // a storage failure's cause, for the log only
};

}  // namespace

RepositoryServer::RepositoryServer(ServeOptions options)
    : options_(std::move(options)), budget_(http::RaiseDescriptorLimit(options_.threads)) {
    std::unique_ptr<Storage> storage =
        OpenStorage(StorageOptions{options_.dataFolder, options_.databaseUrl});
    storage->PrepareToServe();
    state_ = std::make_unique<ServerState>(
        std::move(storage),
        options_.maxFileBytes != 0
            ? options_.maxFileBytes
            : kUnpackedPerRequestByte * std::uint64_t{options_.maxRequestBytes});
    for (const Script& script : AllScripts())
        routes_.emplace(RoutePath(options_.prefix, script.name), &script);
}

RepositoryServer::~RepositoryServer() = default;

int RepositoryServer::Bind() {
    listener_ = http::Listen(options_.host, options_.port);
    try {
        edge_ = std::make_unique<http::Edge>(EdgeSettingsFor(), static_cast<http::Site&>(*this));
    } catch (const StartupError&) {
        if (!options_.tlsCertificate.empty()) RefuseTls(options_);
        throw;
    }
    return listener_.port;
}

http::EdgeSettings RepositoryServer::EdgeSettingsFor() const {
    using std::chrono::seconds;
    http::EdgeSettings settings;
    // The edge closes its own copy of the socket when it stops.
    settings.listeningSocket = dup(listener_.socket.get());
    settings.threads = options_.threads;
    settings.idleTimeout = std::max(seconds{1}, std::chrono::ceil<seconds>(options_.headDeadline));
    settings.answerTimeout = options_.bodyPace.writeTimeout;
    settings.bodyGrace = options_.bodyPace.grace;
    settings.minBodyBytesPerSecond = options_.bodyPace.minBytesPerSecond;
    settings.connectionLimit = budget_.connections;
    // One address (a proxy, a NAT) may hold half: the rest stays for everyone else.
    settings.connectionsPerAddress = std::max<std::size_t>(1, budget_.connections / 2);
    if (!options_.tlsCertificate.empty()) {
        settings.tlsCertificatePem = ReadPem(options_.tlsCertificate, options_);
        settings.tlsKeyPem = ReadPem(options_.tlsKey, options_);
    }
    return settings;
}

void RepositoryServer::Run() {
    std::unique_lock<std::mutex> lock(runMutex_);
    stopped_.wait(lock, [this] { return stopRequested_; });
    edge_.reset();
}

void RepositoryServer::Stop() {
    std::lock_guard<std::mutex> lock(runMutex_);
    stopRequested_ = true;
    stopped_.notify_all();
}

std::unique_ptr<http::Exchange> RepositoryServer::Open(const http::RequestHead& head,
                                                       http::EdgeAnswer& refusal) {
    const auto started = std::chrono::steady_clock::now();
    const auto route = routes_.find(head.path);
    if (route == routes_.end() || head.method != "POST") {
        refusal.httpStatus = kNotFound;
        refusal.body = "Unknown script\n";
        LogRequest(head.path, "-", kNotFound, started);
        return nullptr;
    }
    const Script& script = *route->second;
    if (head.contentLength && *head.contentLength > options_.maxRequestBytes) {
        const Refusal tooLarge = Refusal::Of(own_status::kRequestTooLarge, text::kRequestTooLarge,
                                             std::to_string(options_.maxRequestBytes));
        refusal.body = Refused(tooLarge.Status(), tooLarge.what(), script).body;
        LogRequest(script.name, "-", tooLarge.Status(), started);
        return nullptr;
    }
    return std::make_unique<ScriptExchange>(*state_, script, head, options_.maxRequestBytes);
}

}  // namespace server

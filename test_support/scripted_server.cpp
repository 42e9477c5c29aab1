#include "test_support/scripted_server.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

namespace testsupport {
namespace {

bool SameName(const std::pair<std::string, std::string>& header, const std::string& name) {
    return std::equal(
        header.first.begin(), header.first.end(), name.begin(), name.end(),
        [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Takes apart the request at the start of bytes; false while its head or its
// Content-Length bytes of body have not all arrived.
bool ParseRequest(const std::string& bytes, RecordedRequest* request) {
    const size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos) return false;
    std::istringstream head(bytes.substr(0, headEnd));
    std::string line;
    std::getline(head, line);
    *request = RecordedRequest{};
    std::istringstream(line) >> request->method >> request->target >> request->version;
    while (std::getline(head, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        request->headers.emplace_back(line.substr(0, colon), Trimmed(line.substr(colon + 1)));
    }
    const size_t bodyStart = headEnd + 4;
    const size_t length = std::strtoul(request->Header("Content-Length").c_str(), nullptr, 10);
    if (bytes.size() - bodyStart < length) return false;
    request->body = bytes.substr(bodyStart, length);
    return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameName(header, name)) return header.second;
    }
    return "";
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return SameName(header, name); });
}

ScriptedReply CloseWithoutAnswer() {
    return ScriptedReply{};
}

ScriptedReply Answer(std::vector<std::string> pieces, std::chrono::milliseconds pause) {
    return ScriptedReply{std::move(pieces), pause, false};
}

ScriptedReply StatusReply(int status, const std::string& error) {
    return Answer({HttpResponse(StatusBody(status, error))});
}

ScriptedReply StopEarly(std::vector<std::string> pieces) {
    return ScriptedReply{std::move(pieces), {}, true};
}

ScriptedReply KeptOpenStatusReply(int status, const std::string& error) {
    const std::string body = StatusBody(status, error);
    return ScriptedReply{{"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\n\r\n" + body},
                         {},
                         false,
                         true};
}

ScriptedServer::ScriptedServer() {
    Listen();
}

ScriptedServer::~ScriptedServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (SocketId socket : openSockets_) ShutdownSocket(socket);
    }
    stopped_.notify_all();
    listener_->Stop();
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
}

void ScriptedServer::Listen() {
    listener_ = std::make_unique<LoopbackListener>();
    acceptor_ = std::thread(&ScriptedServer::AcceptLoop, this);
}

std::string ScriptedServer::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(listener_->Port());
}

void ScriptedServer::AcceptLoop() {
    for (;;) {
        const SocketId socket = listener_->Accept();
        std::lock_guard lock(mutex_);
        if (stopping_) {
            if (socket != kNoSocket) CloseSocket(socket);
            return;
        }
        if (socket == kNoSocket) continue;
        openSockets_.insert(socket);
        workers_.emplace_back(&ScriptedServer::Serve, this, socket, ++accepted_);
    }
}

void ScriptedServer::Serve(SocketId socket, int number) {
    ServerConnection connection(socket, tls_.get());
    Converse(connection, number);
    // Forgotten before the connection closes it, so that stopping never cuts a reused number.
    // An answer that ended properly has sent its end of stream by then.
    std::lock_guard lock(mutex_);
    openSockets_.erase(socket);
    socketClosed_.notify_all();
}

void ScriptedServer::Converse(ServerConnection& connection, int number) {
    if (TakeHandshakeFailure()) {
        connection.Reset();
        return;
    }
    if (!connection.Handshake()) return;
    for (;;) {
        std::string received = connection.Read();
        if (received.empty()) return;  // connected and left without a word: a reachability check
        const ScriptedReply reply = TakeReply();
        RecordedRequest request;
        while (!ParseRequest(received, &request)) {
            const std::string more = connection.Read();
            if (more.empty())
                return;  // the client gave up mid-request: nothing to record or answer
            received += more;
        }
        request.connection = number;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(std::move(request));
        }
        if (!Perform(connection, reply)) return;
    }
}

ScriptedReply ScriptedServer::TakeReply() {
    std::lock_guard lock(mutex_);
    if (replies_.empty()) return defaultReply_;
    ScriptedReply reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
}

bool ScriptedServer::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, pause, [this] { return stopping_; });
}

bool ScriptedServer::Perform(ServerConnection& connection, const ScriptedReply& reply) {
    for (size_t i = 0; i < reply.pieces.size(); ++i) {
        if (i > 0 && !Pause(reply.pause)) return false;
        if (!connection.WriteAll(reply.pieces[i])) return false;
    }
    if (reply.keepOpen && !reply.pieces.empty()) return true;
    if (reply.stopEarly) {
        connection.Reset();
    } else {
        connection.Finish();
    }
    return false;
}

bool ScriptedServer::TakeHandshakeFailure() {
    std::lock_guard lock(mutex_);
    if (!tls_ || handshakesToFail_ == 0) return false;
    --handshakesToFail_;
    return true;
}

void ScriptedServer::FailHandshakes(int count) {
    std::lock_guard lock(mutex_);
    handshakesToFail_ = count;
}

int ScriptedServer::AcceptedConnections() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

bool ScriptedServer::WaitUntilConnectionsClosed() const {
    std::unique_lock lock(mutex_);
    return socketClosed_.wait_for(lock, std::chrono::seconds(10),
                                  [this] { return openSockets_.empty(); });
}

void ScriptedServer::Enqueue(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

void ScriptedServer::SetDefaultReply(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    defaultReply_ = std::move(reply);
}

std::vector<RecordedRequest> ScriptedServer::RecordedRequests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

RecordedRequest ScriptedServer::Request(size_t index) const {
    std::lock_guard lock(mutex_);
    if (index < requests_.size()) return requests_[index];
    ADD_FAILURE() << "the scripted server has no request " << index << ": it recorded "
                  << requests_.size();
    return RecordedRequest{};
}

size_t ScriptedServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

}  // namespace testsupport

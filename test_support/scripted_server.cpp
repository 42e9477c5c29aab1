#include "test_support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include "test_support/server_connection.h"

namespace testsupport {

ScriptedReply CloseWithoutAnswer() {
    return ScriptedReply{};
}

ScriptedReply Answer(std::vector<std::string> pieces, std::chrono::milliseconds pause) {
    return ScriptedReply{std::move(pieces), pause, false};
}

ScriptedReply StopEarly(std::vector<std::string> pieces, std::chrono::milliseconds pause) {
    return ScriptedReply{std::move(pieces), pause, true};
}

void ScriptedServer::TlsContextFree::operator()(SSL_CTX* context) const {
    SSL_CTX_free(context);
}

ScriptedServer::ScriptedServer() {
    Start();
}

ScriptedServer::ScriptedServer(const std::string& certPath, const std::string& keyPath)
    : tls_(SSL_CTX_new(TLS_server_method())) {
    if (!tls_ || SSL_CTX_use_certificate_chain_file(tls_.get(), certPath.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_.get(), keyPath.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(tls_.get()) != 1) {
        ERR_clear_error();
        throw std::runtime_error("cannot load the TLS certificate '" + certPath + "' and key '" +
                                 keyPath + "'");
    }
    Start();
}

ScriptedServer::~ScriptedServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int fd : openSockets_) shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    uint64_t one = 1;
    if (write(wake_.Get(), &one, sizeof one) < 0)
        ADD_FAILURE() << "cannot stop the scripted server";
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
}

void ScriptedServer::Start() {
    // OpenSSL writes to its socket without MSG_NOSIGNAL; a client that left must give a
    // failed write, not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    listener_ = UniqueFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (!listener_.Valid() || bind(listener_.Get(), generic, sizeof address) != 0 ||
        listen(listener_.Get(), SOMAXCONN) != 0 ||
        getsockname(listener_.Get(), generic, &length) != 0) {
        throw std::runtime_error(std::string("cannot listen on 127.0.0.1: ") +
                                 std::strerror(errno));
    }
    port_ = ntohs(address.sin_port);
    wake_ = UniqueFd(eventfd(0, EFD_CLOEXEC));
    if (!wake_.Valid()) throw std::runtime_error("cannot create the scripted server's eventfd");
    acceptor_ = std::thread(&ScriptedServer::AcceptLoop, this);
}

std::string ScriptedServer::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void ScriptedServer::AcceptLoop() {
    for (;;) {
        pollfd watched[2] = {{listener_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
        if (poll(watched, 2, -1) < 0 && errno != EINTR) return;
        if (watched[1].revents != 0) return;
        if ((watched[0].revents & POLLIN) == 0) continue;
        int fd = accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        if (stopping_) {
            close(fd);
            return;
        }
        ++connectionCount_;
        openSockets_.insert(fd);
        workers_.emplace_back(&ScriptedServer::Serve, this, fd);
    }
}

void ScriptedServer::Serve(int fd) {
    ServerConnection connection(UniqueFd(fd), tls_.get());
    Converse(connection);
    // Forgotten before the connection closes it, so that stopping never cuts a reused number.
    {
        std::lock_guard lock(mutex_);
        openSockets_.erase(fd);
    }
    changed_.notify_all();
}

void ScriptedServer::Converse(ServerConnection& connection) {
    if (!connection.Handshake()) return;
    char buffer[16384];
    size_t got = connection.Read(buffer, sizeof buffer);
    if (got == 0) return;  // connected and left without a word, as a reachability check does
    ScriptedReply reply = TakeReply();
    std::string received(buffer, got);
    size_t length = 0;
    while ((length = CompleteRequestLength(received)) == 0) {
        got = connection.Read(buffer, sizeof buffer);
        if (got == 0) return;  // the client gave up mid-request: nothing to record or answer
        received.append(buffer, got);
    }
    received.resize(length);
    Record(received);
    Perform(connection, reply);
}

ScriptedReply ScriptedServer::TakeReply() {
    std::lock_guard lock(mutex_);
    if (replies_.empty()) return defaultReply_;
    ScriptedReply reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
}

void ScriptedServer::Record(const std::string& raw) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(ParseRequest(raw));
    }
    changed_.notify_all();
}

void ScriptedServer::Perform(ServerConnection& connection, const ScriptedReply& reply) {
    for (size_t i = 0; i < reply.pieces.size(); ++i) {
        if (i > 0 && !PauseUnlessStopping(reply.pause)) return;
        if (!connection.WriteAll(reply.pieces[i])) return;
    }
    if (reply.stopEarly) {
        connection.Reset();
    } else {
        connection.Finish();
    }
}

bool ScriptedServer::PauseUnlessStopping(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, pause, [this] { return stopping_; });
}

void ScriptedServer::Enqueue(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

void ScriptedServer::SetDefaultReply(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    defaultReply_ = std::move(reply);
}

std::vector<std::string> ScriptedServer::Requests() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> raw;
    for (const RecordedRequest& request : requests_) raw.push_back(request.raw);
    return raw;
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

size_t ScriptedServer::ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return connectionCount_;
}

bool ScriptedServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

bool ScriptedServer::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return openSockets_.empty(); });
}

}  // namespace testsupport

// The HTTP side of the server: the twelve scripts under the path prefix, one thread pool,
// the request-size limit, and the translation of every outcome into a keyword answer.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_system.h"
#include "server/paced_stream.h"
#include "server/scripts.h"

namespace server {

struct ServeOptions {
    std::string dataFolder = "./brelmox-data";
    std::string databaseUrl;  // when set, serves this database instead of the folder
    std::string host = "127.0.0.1";
    int port = 8080;  // 0 picks a free port
    std::string prefix;
    std::string tlsCertificate;
    std::string tlsKey;
    std::size_t maxRequestBytes = std::size_t{1} << 30;
    // The largest content an uploaded archive may unpack to; 0: 4 times maxRequestBytes.
    std::uint64_t maxFileBytes = 0;
    std::size_t threads = 32;
    // Plain HTTP only (see PacedServer): how long a request head may take to arrive, and
    // the pace its body must keep.
    std::chrono::milliseconds headDeadline{10000};
    Pace bodyPace;
};

// HOST:PORT as messages show it, an IPv6 address in brackets.
std::string ShownAddress(const std::string& host, int port);

class RepositoryServer {
  public:
    // Opens the storage (a data folder serves only one server at a time) and prepares the
    // routes; throws StartupError or StorageError.
    explicit RepositoryServer(ServeOptions options);
    ~RepositoryServer();
    RepositoryServer(const RepositoryServer&) = delete;
    RepositoryServer& operator=(const RepositoryServer&) = delete;

    // Binds and listens; connections queue from here on. Returns the port.
    int Bind();
    // Serves until Stop() is called; returns at once when Stop() came first.
    void Run();
    // Ends Run(), from any thread, whether Run() is serving already or about to start.
    void Stop();

  private:
    void AddRoute(const Script& script);
    void Serve(const Script& script, const httplib::Request& request, httplib::Response& response,
               const httplib::ContentReader& reader);
    // What the log and the connection need to know besides the reply.
    struct Outcome {
        std::string user;
        bool bodyRead = false;
        std::string problem;  // a storage failure's cause, for the log only
    };
    Reply Handle(const Script& script, const httplib::Request& request, httplib::Response& response,
                 const httplib::ContentReader& reader, Outcome& outcome);

    ServeOptions options_;
    std::unique_ptr<ServerState> state_;
    std::unique_ptr<httplib::Server> http_;
    int listeningSocket_ = -1;
    std::mutex runMutex_;
    std::condition_variable runEnded_;
    bool running_ = false;
    bool stopRequested_ = false;
};

}  // namespace server

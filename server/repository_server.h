// The server: the twelve scripts under the path prefix behind the HTTP edge, the request-size
// limit, and the translation of every outcome into a keyword answer.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "server/http/edge.h"
#include "server/http/listener.h"
#include "server/http/script_requests.h"

namespace server {

using http::ShownAddress;

// The pace a request body must keep once its grace has passed.
struct Pace {
    std::chrono::milliseconds grace{10000};
    std::size_t minBytesPerSecond = 4 << 10;
    // How long a client may go without reading while its answer is sent.
    std::chrono::seconds writeTimeout{120};
};

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
    // How long a connection may go without progress: a head that does not arrive, an idle
    // kept connection (rounded up to whole seconds).
    std::chrono::milliseconds headDeadline{10000};
    Pace bodyPace;
};

class RepositoryServer : private http::Site {
  public:
    // Opens the storage (a data folder serves only one server at a time) and prepares the
    // routes; throws StartupError or StorageError.
    explicit RepositoryServer(ServeOptions options);
    ~RepositoryServer() override;
    RepositoryServer(const RepositoryServer&) = delete;
    RepositoryServer& operator=(const RepositoryServer&) = delete;

    // Binds, listens and serves from here on; throws StartupError. Returns the port.
    int Bind();
    // Returns once Stop() is called (at once when Stop() came first), having closed every
    // connection.
    void Run();
    // Ends Run(), from any thread, whether Run() is serving already or about to start.
    void Stop();

    // The descriptor limits found at start and the connections served at once.
    const http::DescriptorBudget& Budget() const { return budget_; }

  private:
    std::unique_ptr<http::Exchange> Open(const http::RequestHead& head,
                                         http::EdgeAnswer& refusal) override;
    http::EdgeSettings EdgeSettingsFor() const;

    ServeOptions options_;
    http::DescriptorBudget budget_;
    std::unique_ptr<ServerState> state_;
    std::map<std::string, const Script*> routes_;
    http::Listener listener_;
    std::unique_ptr<http::Edge> edge_;
    std::mutex runMutex_;
    std::condition_variable stopped_;
    bool stopRequested_ = false;
};

}  // namespace server

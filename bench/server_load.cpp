// Load generator for server_bench.sh: CONNECTIONS threads, each with one keep-alive
// connection, post the same body to one script until SECONDS have passed or MAX requests
// were sent in all. Prints the requests per second of answers that carried "status:0",
// the count of the others and the first one's reason; fails when none succeeded.
//
//   server_load HOST PORT PATH BODY_FILE CONNECTIONS SECONDS MAX
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/wire.h"

namespace {

// The content type the client sends.
const std::string kContentType(brelmox::wire::kContentType);

struct Load {
    std::string host;
    int port = 0;
    std::string path;
    std::string body;
    std::chrono::steady_clock::time_point deadline;
    long long maxRequests = 0;
    std::atomic<long long> sent{0};
    std::atomic<long long> accepted{0};
    std::atomic<long long> failed{0};
    std::atomic<bool> failureShown{false};
};

void Drive(Load& load) {
    httplib::Client client(load.host, load.port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);  // as the client's libcurl does
    while (std::chrono::steady_clock::now() < load.deadline && load.sent++ < load.maxRequests) {
        const httplib::Result result = client.Post(load.path.c_str(), load.body, kContentType);
        const bool ok = result && result->status == 200 &&
                        result->body.find("\nstatus:0\n") != std::string::npos;
        ++(ok ? load.accepted : load.failed);
        if (!ok && !load.failureShown.exchange(true)) {
            std::fprintf(
                stderr, "first failure: %s\n",
                result ? result->body.c_str() : httplib::to_string(result.error()).c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: server_load HOST PORT PATH BODY_FILE CONNECTIONS SECONDS MAX\n");
        return 1;
    }
    Load load;
    load.host = argv[1];
    load.port = std::stoi(argv[2]);
    load.path = argv[3];
    std::ifstream file(argv[4], std::ios::binary);
    std::ostringstream body;
    body << file.rdbuf();
    load.body = body.str();
    const int connections = std::stoi(argv[5]);
    const auto started = std::chrono::steady_clock::now();
    load.deadline = started + std::chrono::seconds(std::stoi(argv[6]));
    load.maxRequests = std::stoll(argv[7]);

    std::vector<std::thread> threads;
    for (int i = 0; i < connections; ++i) threads.emplace_back(Drive, std::ref(load));
    for (std::thread& thread : threads) thread.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("connections=%d accepted=%lld failed=%lld seconds=%.2f rps=%.0f\n", connections,
                load.accepted.load(), load.failed.load(), seconds, load.accepted.load() / seconds);
    return load.accepted.load() > 0 ? 0 : 1;
}

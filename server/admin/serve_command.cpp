#include "server/admin/serve_command.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "common/format.h"
#include "server/statuses.h"

namespace server {

void Serve(const ServeOptions& options) {
    // Blocked before any thread starts, so only the sigwait below ever receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    RepositoryServer server(options);
    const int port = server.Bind();
    std::printf("listening on %s\n", ShownAddress(options.host, port).c_str());
    std::fflush(stdout);
    const http::DescriptorBudget& budget = server.Budget();
    std::fprintf(
        stderr, "%s\n",
        brelmox::FormatMessage(text::kDescriptorBudget, std::to_string(budget.softLimit),
                               std::to_string(budget.hardLimit), std::to_string(budget.connections))
            .c_str());
    std::thread serving([&server] {
        server.Run();
        // Serving ended on its own: wake the waiting thread as a stop signal would.
        kill(getpid(), SIGTERM);
    });
    int received = 0;
    sigwait(&stopSignals, &received);
    server.Stop();
    serving.join();
}

}  // namespace server

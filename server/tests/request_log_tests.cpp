// The request log: one line per request, whatever the request holds.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>

#include "raw_connection.h"
#include "server_fixture.h"

namespace servertest {
namespace {

class RequestLogTest : public ServerFixture {
  protected:
    // The server's log lines written while run() sends its requests, with the milliseconds
    // and temporary names that vary replaced.
    std::vector<std::string> LogOf(const std::function<void()>& run) {
        const std::string path = dir_.Path("server.log");
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        std::FILE* log = std::fopen(path.c_str(), "w");
        dup2(fileno(log), STDERR_FILENO);
        run();
        StopServer();  // every answer and its log line is complete
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::fclose(log);
        std::vector<std::string> lines;
        std::string text = dir_.ReadFile("server.log");
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            lines.push_back(
                std::regex_replace(std::regex_replace(line, std::regex("ms=[0-9]+"), "ms=N"),
                                   std::regex("request-[0-9A-Za-z]{6}"), "request-XXXXXX"));
        }
        return lines;
    }
};

TEST_F(RequestLogTest, EveryValueIsEscapedAndEachRequestIsOneLine) {
    const std::vector<std::string> lines = LogOf([&] {
        RawConnection connection(port_);
        connection.Send(
            "POST /fake%0Avalidate_user_from_cli.php%20user=alice%1b[2J\\ HTTP/1.1\r\n"
            "Host: 127.0.0.1\r\nContent-Length: 0\r\n\r\n");
        connection.ReadUntilQuiet(300);
        Post("validate_user_from_cli.php", FormBody({{"username", "eve\nx status=0 \x9b"},
                                                     {"password", "p"},
                                                     {"organization", "acme"}}));
        std::filesystem::remove_all(data_ + "/tmp");
        Upload("Src", "a.c", "no room");
    });
    const std::vector<std::string> expected = {
        "/fake\\x0avalidate_user_from_cli.php\\x20user=alice\\x1b[2J\\x5c user=- status=404 ms=N",
        "validate_user_from_cli.php user=eve\\x0ax\\x20status=0\\x20\\x9b status=-2014 ms=N",
        "add_files_from_cli.php user=- status=-2105 ms=N problem=Cannot\\x20create\\x20a\\x20"
        "temporary\\x20file\\x20'" +
            data_ +
            "/tmp/request-XXXXXX':\\x20No\\x20such\\x20file\\x20or"
            "\\x20directory",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace servertest

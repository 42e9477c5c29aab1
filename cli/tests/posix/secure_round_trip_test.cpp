// Round trips over a secure connection: every request goes over TLS, the label's too, since
// each carries the password.
#include "cli/tests/posix/round_trip_fixture.h"

namespace {

class SecureRoundTrip : public RoundTrip {
  protected:
    SecureRoundTrip() : RoundTrip(testsupport::LocalServer::Transport::Tls) {}
};

TEST_F(SecureRoundTrip, FilesAndLabelsTravelOverTls) {
    AddFile("f.txt", "version one\n");
    Expect("alice", {"lbl", "-l", "L1", "-d", "first"}, 0,
           "Label 'L1' attached to checked in files in Project 'Web'.\n");
    Expect("alice", {"get", "-f", "Src/f.txt", "-l", "L1", "-t", "out"}, 0,
           "File 'Src/f.txt' saved in 'out/f.txt'.\n");
    EXPECT_EQ(dir.ReadFile("out/f.txt"), "version one\n");
}

}  // namespace

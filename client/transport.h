// The steps every server operation goes through: session, POST request, send with
// retries, answer read piece by piece, close. Failures report themselves.
#pragma once

#include <memory>
#include <string>

#include "client/context.h"
#include "platform/http_client.h"

namespace brelmox {

// The "connection handle": where the requests of one operation go.
struct InternetSession {
    platform::HttpTarget target;
};

class InternetRequest {
  public:
    // The request goes over the session's kept-open connection when one is free.
    InternetRequest(const platform::HttpTarget& target, const std::string& objectName,
                    platform::HttpSession& session);

    bool Valid() const { return post_.Valid(); }
    const std::string& ObjectName() const { return objectName_; }
    platform::HttpPost& Post() { return post_; }

    // Up to max answer bytes; *got is 0 at the end. False on a transfer error.
    bool Read(char* buf, size_t max, size_t* got);

    // An HTTP error status is only acceptable when a keyword answer follows it.
    bool IsKeywordAnswerOrSuccess();

  private:
    platform::HttpPost post_;
    std::string objectName_;
    std::string lookahead_;  // answer bytes taken to look at the answer's kind
};

// Virtual directory trimmed of '\' and '/', a '/' when anything is left, then the script.
std::string BuildObjectName(const std::string& virtualDirectory, const std::string& script);

// The reachability URL of the command-line program: "https://" + URL when the connection is
// secure, so that the check goes where the requests go (443 without a port), else "http://".
std::string BuildCheckURL(const COstrelContext& context);

// 0, or -3 after "Failed to connect to Brelmox\n".
int OpenSession(COstrelContext& context, std::unique_ptr<InternetSession>* session);

// 0, or -4 after "Couldn't access upload program\n". The request goes over the context's
// kept-open connection.
int OpenPostRequest(const std::string& script, COstrelContext& context, InternetSession& session,
                    std::unique_ptr<InternetRequest>* request);

// Up to six attempts 50 ms apart, each after one that failed before a byte of the request
// was written; after the last failure the operation's message is shown once, filled with
// "HttpSendRequest" and the transport's text.
bool SendRequest(InternetRequest& request, COstrelContext& context, const char* message,
                 platform::BodySource& body);

// One server operation's handles, closed when it goes out of scope. While the request moves
// its bytes go to the context's notifier (TransferBytes, then TransferEnd when it closes).
class ServerCall {
  public:
    ServerCall(COstrelContext& context, const std::string& script);
    ~ServerCall();
    ServerCall(const ServerCall&) = delete;
    ServerCall& operator=(const ServerCall&) = delete;

    // 0, -3 or -4.
    int OpenResult() const { return openResult_; }

    // The packing of the file this call is about to send, as the first part of its transfer.
    void ReportPacking(const std::string& name, uint64_t done, uint64_t total);

    // 0, -1002 after a failed send, or -6 for an HTTP error page.
    int Send(platform::BodySource& body, const char* failureMessage);

    // A single attempt whose failure shows only the transport's text: 0, -1002 or -6.
    int SendOnce(platform::BodySource& body);

    // One piece of the answer; a failure shows "Couldn't read status from internet\n".
    bool Read(char* buf, size_t max, size_t* got);

    // Fills buf until it is full or the answer ends, so that a short answer split by
    // the network is still read as one piece. -5 after a failed read, else 0.
    int ReadPiece(char* buf, size_t capacity, size_t* got);

    // For the progress reports: the name of the answer's bytes until a file's archive comes
    // (by default the script's name), and the file whose size bytes of archive follow the
    // bytes read so far.
    void NameDownload(const std::string& name) { downloadName_ = name; }
    void ExpectContent(const std::string& name, uint64_t size);

  private:
    int CheckAnswerKind();
    void ReportProgress(const platform::TransferCounts& counts);

    COstrelContext& context_;
    std::unique_ptr<InternetSession> session_;
    std::unique_ptr<InternetRequest> request_;
    int openResult_ = 0;

    std::string uploadName_;
    std::string downloadName_;
    bool contentExpected_ = false;
    uint64_t contentStart_ = 0;  // answer bytes read when the content was announced
    uint64_t contentSize_ = 0;
    uint64_t answerRead_ = 0;  // answer bytes handed to the reader
    bool reported_ = false;
};

}  // namespace brelmox

#include "client/transport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "client/messages.h"
#include "client/path_text.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "common/wire.h"

namespace brelmox {

namespace {

constexpr int kSendRetries = 5;
constexpr auto kRetryPause = std::chrono::milliseconds(50);

}  // namespace

InternetRequest::InternetRequest(const platform::HttpTarget& target, const std::string& objectName,
                                 platform::HttpSession& session)
    : post_(target, objectName, session), objectName_(objectName) {
    post_.AddHeader(std::string(wire::kContentTypeHeader));
}

bool InternetRequest::Read(char* buf, size_t max, size_t* got) {
    if (!lookahead_.empty()) {
        *got = std::min(max, lookahead_.size());
        std::memcpy(buf, lookahead_.data(), *got);
        lookahead_.erase(0, *got);
        return true;
    }
    std::string error;
    return post_.Read(buf, max, got, &error);
}

bool InternetRequest::IsKeywordAnswerOrSuccess() {
    int code = post_.StatusCode();
    if (code >= 200 && code < 300) return true;
    const std::string_view boundary = wire::kFieldLine;
    char piece[16];
    while (lookahead_.size() < boundary.size()) {
        size_t got = 0;
        std::string error;
        if (!post_.Read(piece, boundary.size() - lookahead_.size(), &got, &error) || got == 0)
            break;
        lookahead_.append(piece, got);
    }
    return lookahead_ == boundary;
}

std::string BuildObjectName(const std::string& virtualDirectory, const std::string& script) {
    std::string directory = TrimSlashes(virtualDirectory);
    return directory.empty() ? script : directory + "/" + script;
}

std::string BuildCheckURL(const COstrelContext& context) {
    return (context.m_bSecure != 0 ? "https://" : "http://") + context.m_strURL;
}

int OpenSession(COstrelContext& context, std::unique_ptr<InternetSession>* session) {
    auto opened = std::make_unique<InternetSession>();
    if (!platform::ParseServerAddress(context.m_strURL, context.m_bSecure != 0, &opened->target)) {
        ReportMessage(context, msg::kFailedToConnect);
        return result::kNoConnection;
    }
    *session = std::move(opened);
    return result::kSuccess;
}

int OpenPostRequest(const std::string& script, COstrelContext& context, InternetSession& session,
                    std::unique_ptr<InternetRequest>* request) {
    auto opened = std::make_unique<InternetRequest>(
        session.target, BuildObjectName(context.m_strVirtualDirectory, script), context.Http());
    if (!opened->Valid()) {
        ReportMessage(context, msg::kNoUploadProgram);
        return result::kNoRequest;
    }
    *request = std::move(opened);
    return result::kSuccess;
}

bool SendRequest(InternetRequest& request, COstrelContext& context, const char* message,
                 platform::BodySource& body) {
    std::string error;
    bool sent = request.Post().Send(body, &error);
    // Only a request that cannot have reached the server is sent again: one that may have
    // could have been acted on, and a repeat would act twice or be refused for what the first
    // did (a check-in answered "not checked out" after it made its version).
    for (int retries = 0; !sent && !request.Post().RequestWritten() &&
                          !context.Notify().Cancelled() && retries < kSendRetries;
         ++retries) {
        std::this_thread::sleep_for(kRetryPause);
        sent = request.Post().Send(body, &error);
    }
    if (!sent) ReportMessage(context, FormatMessage(message, msg::kSendCallName, error));
    return sent;
}

ServerCall::ServerCall(COstrelContext& context, const std::string& script)
    : context_(context), downloadName_(script) {
    openResult_ = OpenSession(context, &session_);
    if (openResult_ != 0) return;
    openResult_ = OpenPostRequest(script, context, *session_, &request_);
    if (openResult_ != 0) return;
    request_->Post().OnProgress(
        [this](const platform::TransferCounts& counts) { ReportProgress(counts); });
    request_->Post().StopWhen([&notifier = context.Notify()] { return notifier.Cancelled(); });
}

ServerCall::~ServerCall() {
    request_.reset();  // the transfer ends before it is reported ended
    if (reported_) context_.Notify().TransferEnd();
}

void ServerCall::ExpectContent(const std::string& name, uint64_t size) {
    contentExpected_ = true;
    downloadName_ = name;
    contentStart_ = answerRead_;
    contentSize_ = size;
}

void ServerCall::ReportProgress(const platform::TransferCounts& counts) {
    // An upload's meter stays on its file while the short answer comes.
    if (counts.received == 0 || !uploadName_.empty()) {
        if (counts.toSend == 0) return;  // nothing known yet
        reported_ = true;
        context_.Notify().TransferBytes(uploadName_, counts.sent, counts.toSend);
        return;
    }
    reported_ = true;
    if (!contentExpected_) {
        context_.Notify().TransferBytes(downloadName_, counts.received, counts.toReceive);
        return;
    }
    // The reader is at most a read or two behind the received bytes.
    const uint64_t done = counts.received > contentStart_ ? counts.received - contentStart_ : 0;
    context_.Notify().TransferBytes(downloadName_, std::min(done, contentSize_), contentSize_);
}

void ServerCall::ReportPacking(const std::string& name, uint64_t done, uint64_t total) {
    reported_ = true;
    context_.Notify().PackingBytes(name, done, total);
}

int ServerCall::Send(platform::BodySource& body, const char* failureMessage) {
    uploadName_ = body.ProgressName();
    if (!SendRequest(*request_, context_, failureMessage, body)) return result::kSendFailed;
    return CheckAnswerKind();
}

int ServerCall::SendOnce(platform::BodySource& body) {
    uploadName_ = body.ProgressName();
    std::string error;
    if (request_->Post().Send(body, &error)) return CheckAnswerKind();
    ReportMessage(context_, error);
    return result::kSendFailed;
}

int ServerCall::CheckAnswerKind() {
    if (request_->IsKeywordAnswerOrSuccess()) return result::kSuccess;
    ReportMessage(context_, FormatMessage(msg::kHttpErrorAnswer, request_->Post().StatusCode(),
                                          request_->ObjectName()));
    return result::kHttpError;
}

bool ServerCall::Read(char* buf, size_t max, size_t* got) {
    if (request_->Read(buf, max, got)) {
        answerRead_ += *got;
        return true;
    }
    *got = 0;
    ReportMessage(context_, msg::kReadFailed);
    return false;
}

int ServerCall::ReadPiece(char* buf, size_t capacity, size_t* got) {
    *got = 0;
    while (*got < capacity) {
        size_t count = 0;
        if (!Read(buf + *got, capacity - *got, &count)) return result::kReadFailed;
        if (count == 0) break;
        *got += count;
    }
    return result::kSuccess;
}

}  // namespace brelmox

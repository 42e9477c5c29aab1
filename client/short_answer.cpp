#include "client/short_answer.h"

#include <vector>

#include "client/response.h"

namespace brelmox {

int ReadShortAnswer(ServerCall& call, size_t pieceSize, const AnswerPieceHandler& onPiece) {
    std::vector<char> buffer(pieceSize + 1, 0);
    for (;;) {
        size_t got = 0;
        int result = call.ReadPiece(buffer.data(), pieceSize, &got);
        if (result != 0) return result;
        if (got == 0 || onPiece(buffer.data(), got)) return 0;
    }
}

int PostShortRequest(COstrelContext& context, const std::string& script, MultipartBody& body,
                     const char* failureMessage, size_t pieceSize,
                     const AnswerPieceHandler& onPiece) {
    ServerCall call(context, script);
    if (call.OpenResult() != 0) return call.OpenResult();
    int result = call.Send(body, failureMessage);
    if (result != 0) return result;
    return ReadShortAnswer(call, pieceSize, onPiece);
}

void AddCredentialFields(MultipartBody& body, const COstrelContext& context, bool withProject) {
    body.AddField("username", context.m_strUsername);
    body.AddField("password", context.m_strPassword);
    body.AddField("organization", context.m_strOrganization);
    if (withProject) body.AddField("project", context.m_strProject);
}

AnswerPieceHandler ShowRefusal(const COstrelContext& context, int* result,
                               std::function<void()> onSuccess) {
    return [&context, result, onSuccess](const char* piece, size_t length) {
        size_t position = 0;
        int status = ReadStatus(&position, piece, length);
        if (status == 0) {
            if (onSuccess) onSuccess();
            return false;
        }
        ReportMessage(context, ReadError(&position, piece, length));
        *result = status;
        return true;
    };
}

}  // namespace brelmox

// Requests whose answer is a few keyword lines: validation, projects, labels, uploads.
#pragma once

#include <functional>
#include <string>

#include "client/context.h"
#include "client/multipart.h"
#include "client/transport.h"

namespace brelmox {

// The answer buffer of the short replies holds at most this many bytes per piece.
constexpr size_t kShortAnswerPiece = 65535;

// Called with each piece of the answer; returns true when the answer is dealt with.
using AnswerPieceHandler = std::function<bool(const char* piece, size_t length)>;

// Reads pieces until the handler is done or the answer ends: 0, or -5 after a failed read.
int ReadShortAnswer(ServerCall& call, size_t pieceSize, const AnswerPieceHandler& onPiece);

// Opens, sends with retries and reads the answer: 0 or the transport's code.
int PostShortRequest(COstrelContext& context, const std::string& script, MultipartBody& body,
                     const char* failureMessage, size_t pieceSize,
                     const AnswerPieceHandler& onPiece);

// username, password and organization, and project when asked, from the context.
void AddCredentialFields(MultipartBody& body, const COstrelContext& context, bool withProject);

// For answers whose refusal shows the server's text: a non-zero status is shown and
// stored in *result, and the reading ends; a piece with status 0 calls onSuccess and
// the reading goes on.
AnswerPieceHandler ShowRefusal(const COstrelContext& context, int* result,
                               std::function<void()> onSuccess = {});

}  // namespace brelmox

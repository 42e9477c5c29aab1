// The twelve scripts of the protocol. Each takes its typed request, answers with a keyword
// answer and throws Refusal for a request it turns down as a whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/auth/authenticator.h"
#include "server/http/record_stream.h"
#include "server/scripts/answer.h"
#include "server/scripts/requests.h"
#include "server/storage/storage.h"

namespace server {

// What every request shares.
struct ServerState {
    ServerState(std::unique_ptr<Storage> storage, std::uint64_t unpackedLimit)
        : storage(std::move(storage)), unpackedLimit(unpackedLimit) {}

    std::unique_ptr<Storage> storage;
    Authenticator authenticator;
    std::uint64_t unpackedLimit;  // of an uploaded archive's content
};

// A complete answer, or one whose records are produced while it is sent.
struct Reply {
    int status = 0;  // for the request log; the last failing record's for multi-record answers
    std::string body;
    std::shared_ptr<RecordStream> records;
};

Reply ValidateUser(ServerState& state, const UserRequest& request);
Reply ValidateProject(ServerState& state, const ValidateProjectRequest& request);
Reply CreateProject(ServerState& state, const CreateProjectRequest& request);
Reply GetProjectList(ServerState& state, const UserRequest& request);
Reply AddFiles(ServerState& state, AddFilesRequest& request);
Reply GetFiles(ServerState& state, const GetFilesRequest& request);
Reply Uncheckout(ServerState& state, const SelectionRequest& request);
Reply RemoveFiles(ServerState& state, const SelectionRequest& request);
Reply CreateLabel(ServerState& state, const CreateLabelRequest& request);
Reply GetHistory(ServerState& state, const HistoryRequest& request);
Reply GetProperties(ServerState& state, const FileRequest& request);
Reply QueryInfoMultiple(ServerState& state, const QueryInfoMultipleRequest& request);

// Who asks, about which project.
struct Caller {
    Identity identity;
    std::int64_t projectId = 0;
};

// Authenticates the caller and finds its project, refusing either as the scripts do.
Caller IdentifyCaller(ServerState& state, ReadTx& tx, const CallerFields& fields);
// The same in a read transaction of its own.
Caller IdentifyCaller(ServerState& state, const CallerFields& fields);

// A reply whose whole answer is this one keyword answer.
Reply Answer(KeywordAnswer answer);

// Only a known user of a known project, with a description the server takes, may have file
// bytes stored: called with the text fields that precede the file part, before its first byte.
void RequireUploader(ServerState& state, const CallerFields& caller,
                     const Field<std::string>& description);

}  // namespace server

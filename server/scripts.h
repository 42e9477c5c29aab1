// The twelve scripts of the protocol. Each reads its form, answers with a keyword answer
// and throws Refusal for a request it turns down as a whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/answer.h"
#include "server/authenticator.h"
#include "server/data_folder.h"
#include "server/database.h"
#include "server/form.h"
#include "server/object_store.h"
#include "server/record_stream.h"

namespace server {

// What every request shares.
struct ServerState {
    ServerState(const DataFolder& folder, std::uint64_t unpackedLimit)
        : pool(folder.DatabasePath()), objects(folder), unpackedLimit(unpackedLimit) {}

    ConnectionPool pool;
    ObjectStore objects;
    Authenticator authenticator;
    std::uint64_t unpackedLimit;  // of an uploaded archive's content
};

// A complete answer, or one whose records are produced while it is sent.
struct Reply {
    int status = 0;  // for the request log; the last failing record's for multi-record answers
    std::string body;
    std::shared_ptr<RecordStream> records;
};

struct Script {
    const char* name;
    bool answersRecords;  // each refusal is then a record with its end line
    Reply (*run)(ServerState& state, Form& form);
};

const std::vector<Script>& AllScripts();

Reply ValidateUser(ServerState& state, Form& form);
Reply ValidateProject(ServerState& state, Form& form);
Reply CreateProject(ServerState& state, Form& form);
Reply GetProjectList(ServerState& state, Form& form);
Reply AddFiles(ServerState& state, Form& form);
Reply GetFiles(ServerState& state, Form& form);
Reply Uncheckout(ServerState& state, Form& form);
Reply RemoveFiles(ServerState& state, Form& form);
Reply CreateLabel(ServerState& state, Form& form);
Reply GetHistory(ServerState& state, Form& form);
Reply GetProperties(ServerState& state, Form& form);
Reply QueryInfoMultiple(ServerState& state, Form& form);

// A reply whose whole answer is this one keyword answer.
Reply Answer(KeywordAnswer answer);

// Only a known user of a known project may have file bytes stored: called with the text
// fields that precede the file part, before its first byte.
void RequireUploader(ServerState& state, const Form& fields);

// Refuses names the answers could not carry (empty, with a control character).
void RequireLineSafeName(const std::string& value, const char* field);

}  // namespace server

// The twelve scripts of the protocol. Each reads its form, answers with a keyword answer
// and throws Refusal for a request it turns down as a whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/answer.h"
#include "server/auth/authenticator.h"
#include "server/http/form.h"
#include "server/record_stream.h"
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

// Who asks, about which project.
struct Caller {
    Identity identity;
    std::int64_t projectId = 0;
};

// The credentials fields, each refused when missing.
Credentials CredentialsOf(const Form& form);

// Authenticates the request and finds its "project", refusing either as the scripts do.
Caller IdentifyCaller(ServerState& state, ReadTx& tx, const Form& form);
// The same in a read transaction of its own.
Caller IdentifyCaller(ServerState& state, const Form& form);

// A reply whose whole answer is this one keyword answer.
Reply Answer(KeywordAnswer answer);

// Only a known user of a known project, with a description the server takes, may have file
// bytes stored: called with the text fields that precede the file part, before its first byte.
void RequireUploader(ServerState& state, const Form& fields);

// The optional description field, refused when over kDescriptionLimit.
std::string BoundedDescription(const Form& form, const char* field);

// Refuses names the answers could not carry: an empty one with emptyText, one with a control
// character as an invalid value of the field.
void RequireLineSafeName(const std::string& value, const char* field, const char* emptyText);

}  // namespace server

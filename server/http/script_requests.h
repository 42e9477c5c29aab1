// The scripts as the edge serves them: each script's typed request is decoded from its form
// here, so that no script or check of credentials reads a field of the form itself.
#pragma once

#include <vector>

#include "server/http/form.h"
#include "server/scripts/scripts.h"

namespace server {

struct Script {
    const char* name;
    bool answersRecords;  // each refusal is then a record with its end line
    Reply (*run)(ServerState& state, Form& form);  // decodes the request and runs the script
};

const std::vector<Script>& AllScripts();

// Turns down the sender of an upload, before a byte of its file is stored, when the script
// would refuse it.
FileGate UploadGate(ServerState& state);

}  // namespace server

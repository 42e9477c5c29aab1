// What the history and properties queries share: their request and the fields that describe
// one version.
#pragma once

#include <string>

#include "client/context.h"
#include "client/field_reader.h"
#include "client/file_version.h"
#include "client/multipart.h"

namespace brelmox {

// Descriptions may be as long as the server takes a text field; a longer value is a broken
// answer.
constexpr size_t kLongestVersionValue = 1 << 20;

// The credentials, the project, "filepath" and "type".
MultipartBody VersionQueryBody(const COstrelContext& context, const std::string& viewPath,
                               const std::string& type);

// Reads what follows "version:": "label:" when type is "label", then "version_status:",
// "date:", "user:" and "description:" into *version, each value written only when its field
// was read. Returns the result of reading "description:".
int ReadVersionFields(FieldReader& answer, const std::string& type, CFileVersion* version);

}  // namespace brelmox

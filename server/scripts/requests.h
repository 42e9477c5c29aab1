// The scripts' requests, typed. The edge decodes every field of a request before its script
// runs; a field that is missing or malformed holds the refusal it earns instead of a value,
// raised only when the script comes to that field. So a request with several faults is
// refused for the one its script meets first (a wrong password before a missing path).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "server/auth/authenticator.h"
#include "server/refusal.h"
#include "server/storage/temp_file.h"

namespace server {

template <typename T>
class Field {
  public:
    explicit Field(T value) : content_(std::in_place_index<0>, std::move(value)) {}
    explicit Field(Refusal refusal) : content_(std::in_place_index<1>, std::move(refusal)) {}

    // Throws the field's refusal, if it has one.
    void Check() const {
        if (const Refusal* refusal = std::get_if<1>(&content_)) throw *refusal;
    }

    // The value; throws the field's refusal when it has none.
    T& operator*() {
        Check();
        return std::get<0>(content_);
    }
    const T& operator*() const {
        Check();
        return std::get<0>(content_);
    }

  private:
    std::variant<T, Refusal> content_;
};

// The file part of an upload, already stored under tmp/ with its SHA-256 taken.
struct Upload {
    std::string filename;  // the part's "filename" value as sent
    TempFile archive;
    std::string archiveHash;
    std::uint64_t size = 0;
};

// What "label" and "version_no" ask for; both empty means the latest version.
struct VersionWanted {
    std::string label;
    std::optional<std::int64_t> number;
};

// Who asks, about which project: the first fields of most scripts.
struct CallerFields {
    Field<Credentials> credentials;
    Field<std::string> project;
};

// Validate user and the project list: the credentials alone.
struct UserRequest {
    Field<Credentials> credentials;
};

struct ValidateProjectRequest {
    Field<std::string> organization;
    Field<std::string> project;
};

struct CreateProjectRequest {
    Field<Credentials> credentials;
    Field<std::string> name;  // refused when empty or not line-safe
    Field<std::string> description;
};

struct AddFilesRequest {
    Field<Upload> upload;
    CallerFields caller;
    Field<bool> checkin;
    Field<std::string> viewPath;
    Field<std::string> description;
};

struct GetFilesRequest {
    CallerFields caller;
    Field<bool> recurse;
    Field<bool> checkout;
    Field<std::string> viewPath;
    Field<VersionWanted> wanted;
};

// Undo check-out and remove: the files a view path selects.
struct SelectionRequest {
    CallerFields caller;
    Field<bool> recurse;
    Field<std::string> viewPath;
};

struct CreateLabelRequest {
    CallerFields caller;
    Field<std::string> label;  // refused when empty or not line-safe
    Field<std::string> description;
};

// Properties, and the first fields of the history: one file of the project.
struct FileRequest {
    CallerFields caller;
    Field<bool> withLabels;  // "type" is "label" rather than "version"
    Field<std::string> filePath;
};

struct HistoryRequest {
    FileRequest file;
    Field<int> zoneOffset;  // minutes east of UTC
};

struct QueryInfoMultipleRequest {
    CallerFields caller;
    Field<std::vector<std::string>> filePaths;
};

}  // namespace server

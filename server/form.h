// The fields of a request's multipart body. The file part of an upload (the last part) is
// streamed into a temporary file under tmp/ while its SHA-256 is taken, never held in memory.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "server/storage/storage.h"

namespace server {

struct Upload {
    std::string filename;  // the part's "filename" value as sent
    TempFile archive;
    std::string archiveHash;
    std::uint64_t size = 0;
};

class Form {
  public:
    // Refuses the request as malformed when the field is missing.
    const std::string& Required(const char* name) const;
    // The value, or "" when the field is missing.
    std::string Optional(const char* name) const;
    // A "Y"/"N" field; anything else is refused.
    bool Flag(const char* name) const;

    std::optional<Upload>& File() { return upload_; }
    // The address the request came from, for limits on failed logins.
    const std::string& ClientAddress() const { return clientAddress_; }

    void SetField(const std::string& name, std::string value);
    void SetUpload(Upload upload) { upload_.emplace(std::move(upload)); }
    void SetClientAddress(std::string address) { clientAddress_ = std::move(address); }

  private:
    std::map<std::string, std::string> fields_;
    std::optional<Upload> upload_;
    std::string clientAddress_;
};

// Called with the text fields read so far when a file part starts, before any of its bytes
// is stored; throws Refusal to turn the request down.
using FileGate = std::function<void(const Form& fields)>;

// The HTTP library parses every multipart body itself and ends a part at the first boundary
// text, where our file part runs to the end of the body. Called before routing, this moves
// the content type aside so that the body reaches ReadForm as it was sent.
void TakeOverFormParsing(const httplib::Request& request);

// Reads the whole body. Refuses a body that is not a complete multipart form or is larger
// than sizeLimit (which the HTTP layer enforces); a failure leaves nothing under tmp/.
Form ReadForm(const httplib::Request& request, httplib::Response& response,
              const httplib::ContentReader& reader, Storage& storage, std::size_t sizeLimit,
              const FileGate& beforeFile);

}  // namespace server

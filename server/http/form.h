// The fields of a request's multipart body. The file part of an upload (the last part) is
// streamed into a temporary file under tmp/ while its SHA-256 is taken, never held in memory.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "server/scripts/requests.h"
#include "server/storage/storage.h"

namespace server {

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

class PartCollector;
class MultipartReader;

// A request's multipart body, fed as it arrives. Refusals wait for the body's end, so that
// the client hears them as it would after any other request.
class FormReceiver {
  public:
    FormReceiver(const std::string& contentType, std::string clientAddress, Storage& storage,
                 FileGate beforeFile);
    ~FormReceiver();
    FormReceiver(const FormReceiver&) = delete;
    FormReceiver& operator=(const FormReceiver&) = delete;

    void Feed(const char* data, std::size_t size);
    // Refuses a body that is not a complete multipart form; a failure leaves nothing under
    // tmp/.
    Form Finish();

  private:
    FileGate beforeFile_;
    std::unique_ptr<PartCollector> collector_;
    std::unique_ptr<MultipartReader> parts_;  // none when the body has no boundary
    std::exception_ptr failure_;
};

}  // namespace server

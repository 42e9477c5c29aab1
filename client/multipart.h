// The multipart/form-data request body with the protocol's fixed boundary. Text
// fields are inserted verbatim; an upload adds one file part, streamed from an
// open file so that the body never has to be held whole in memory.
#pragma once

#include <cstdint>
#include <string>

#include "common/wire.h"
#include "platform/http_client.h"

namespace brelmox {

class MultipartBody : public platform::BodySource {
  public:
    void AddField(const std::string& name, const std::string& value);
    void AddYesNoField(const std::string& name, int flag) { AddField(name, flag != 0 ? "Y" : "N"); }

    // The file part, always last: fileName is written into the disposition line, the
    // bytes come from fd (owned by the caller) at the time they are sent.
    void AttachFile(const std::string& fileName, int fd, uint64_t length);

    // The file part with bytes the body keeps (a small archive packed in memory).
    void AttachFile(const std::string& fileName, std::string contents);

    // The whole body of a text-only request.
    std::string Text() const { return head_ + std::string(wire::kBodyTrailer); }

    uint64_t Size() const override;
    long long ReadAt(uint64_t offset, char* buf, size_t max) override;
    // The attached file's name, "" without one.
    std::string ProgressName() const override { return fileName_; }

  private:
    std::string head_;
    std::string fileName_;
    int fd_ = -1;
    std::string contents_;
    uint64_t fileLength_ = 0;
};

}  // namespace brelmox

#include "client/multipart.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace brelmox {

void MultipartBody::AddField(const std::string& name, const std::string& value) {
    head_ += head_.empty() ? wire::kFirstPartLine : wire::kNextPartLine;
    head_ += "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
    // Values end at their first zero byte, as the texts they come from do.
    head_ += value.c_str();
}

void MultipartBody::AttachFile(const std::string& fileName, std::string contents) {
    AttachFile(fileName, -1, contents.size());
    contents_ = std::move(contents);
}

void MultipartBody::AttachFile(const std::string& fileName, int fd, uint64_t length) {
    head_ += wire::kNextPartLine;
    head_ += "Content-Disposition: form-data; name=\"userfile\"; filename=\"" + fileName + "\"\r\n";
    head_ += "Content-Transfer-Encoding: binary\r\n";
    head_ += "Content-Type: application/x-octet-stream\r\n\r\n";
    fd_ = fd;
    fileLength_ = length;
    fileName_ = fileName;
}

uint64_t MultipartBody::Size() const {
    return head_.size() + fileLength_ + wire::kBodyTrailer.size();
}

long long MultipartBody::ReadAt(uint64_t offset, char* buf, size_t max) {
    size_t copied = 0;
    auto copyText = [&](std::string_view text, uint64_t start) {
        if (offset + copied < start || offset + copied >= start + text.size()) return;
        size_t from = offset + copied - start;
        size_t count = std::min(max - copied, text.size() - from);
        std::memcpy(buf + copied, text.data() + from, count);
        copied += count;
    };
    copyText(head_, 0);
    copyText(contents_, head_.size());
    uint64_t fileEnd = head_.size() + fileLength_;
    while (fd_ >= 0 && copied < max && offset + copied < fileEnd) {
        uint64_t at = offset + copied - head_.size();
        size_t want = static_cast<size_t>(std::min<uint64_t>(max - copied, fileLength_ - at));
        const long long got = platform::ReadAt(fd_, buf + copied, want, at);
        // A file that shrank while it was being sent cannot fill its announced length.
        if (got <= 0) return -1;
        copied += static_cast<size_t>(got);
    }
    if (copied < max) copyText(wire::kBodyTrailer, fileEnd);
    return static_cast<long long>(copied);
}

}  // namespace brelmox

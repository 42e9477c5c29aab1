#include "server/http/form.h"

#include <memory>

#include "server/http/multipart_reader.h"
#include "server/refusal.h"
#include "server/sha256.h"
#include "server/statuses.h"

namespace server {
namespace {

// Text fields are small (names, paths, descriptions); these bounds keep a hostile body
// from filling the memory through them.
constexpr std::size_t kTextFieldLimit = 1 << 20;
constexpr std::size_t kAllTextLimit = 4 << 20;

}  // namespace

// Collects the parts as the multipart reader delivers them.
class PartCollector {
  public:
    PartCollector(Storage& storage, const FileGate& beforeFile, std::string clientAddress)
        : storage_(storage), beforeFile_(beforeFile) {
        form_.SetClientAddress(std::move(clientAddress));
    }

    void StartPart(const PartHead& head) {
        FinishText();
        if (!head.isFile) {
            textName_ = head.name;
            return;
        }
        try {
            beforeFile_(form_);
        } catch (const Refusal& refusal) {
            // The body is read on without keeping a byte, so the client hears the refusal
            // as it would after any other request.
            refused_.emplace(refusal);
            return;
        }
        // The file part is the last part: everything from here on is its content.
        upload_.emplace(Upload{head.filename, storage_.NewUpload(), "", 0});
        digest_ = std::make_unique<Sha256>();
    }

    void Receive(const char* data, std::size_t size) {
        if (refused_) return;
        if (upload_) {
            upload_->archive.Write(data, size);
            digest_->Update(data, size);
            upload_->size += size;
            return;
        }
        textBytes_ += size;
        // Keep reading an oversized field without keeping it, so the body is consumed.
        if (textValue_.size() + size > kTextFieldLimit || textBytes_ > kAllTextLimit) {
            tooMuchText_ = true;
        } else {
            textValue_.append(data, size);
        }
    }

    bool TooMuchText() const { return tooMuchText_; }
    const std::optional<Refusal>& Refused() const { return refused_; }

    Form Finish() {
        FinishText();
        if (upload_) {
            upload_->archiveHash = digest_->HexDigest();
            form_.SetUpload(std::move(*upload_));
        }
        return std::move(form_);
    }

  private:
    void FinishText() {
        if (!textName_) return;
        form_.SetField(*textName_, std::move(textValue_));
        textName_.reset();
        textValue_.clear();
    }

    Storage& storage_;
    const FileGate& beforeFile_;
    Form form_;
    std::optional<std::string> textName_;
    std::string textValue_;
    std::size_t textBytes_ = 0;
    bool tooMuchText_ = false;
    std::optional<Upload> upload_;
    std::unique_ptr<Sha256> digest_;
    std::optional<Refusal> refused_;
};

const std::string& Form::Required(const char* name) const {
    const auto found = fields_.find(name);
    if (found == fields_.end()) {
        throw Refusal::Of(own_status::kMalformedRequest, text::kMissingField, name);
    }
    return found->second;
}

std::string Form::Optional(const char* name) const {
    const auto found = fields_.find(name);
    return found == fields_.end() ? std::string() : found->second;
}

bool Form::Flag(const char* name) const {
    const std::string& value = Required(name);
    if (value != "Y" && value != "N") {
        throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, value, name);
    }
    return value == "Y";
}

void Form::SetField(const std::string& name, std::string value) {
    // The first of repeated fields counts, as the client never repeats one.
    fields_.emplace(name, std::move(value));
}

FormReceiver::FormReceiver(const std::string& contentType, std::string clientAddress,
                           Storage& storage, FileGate beforeFile)
    : beforeFile_(std::move(beforeFile)),
      collector_(std::make_unique<PartCollector>(storage, beforeFile_, std::move(clientAddress))) {
    const std::string boundary = BoundaryOf(contentType);
    if (boundary.empty()) return;
    parts_ = std::make_unique<MultipartReader>(
        boundary, [this](const PartHead& head) { collector_->StartPart(head); },
        [this](const char* data, std::size_t size) { collector_->Receive(data, size); });
}

FormReceiver::~FormReceiver() = default;

void FormReceiver::Feed(const char* data, std::size_t size) {
    if (!parts_ || failure_) return;
    try {
        parts_->Feed(data, size);
    } catch (const std::exception&) {
        // Storage that cannot take the upload: the rest is read without being kept, and the
        // failure answers the request once its body has ended.
        failure_ = std::current_exception();
    }
}

Form FormReceiver::Finish() {
    if (failure_) std::rethrow_exception(failure_);
    const bool whole = parts_ && parts_->Finish();
    if (collector_->Refused()) throw *collector_->Refused();
    if (!whole) throw Refusal(own_status::kMalformedRequest, text::kMalformedBody);
    if (collector_->TooMuchText()) {
        throw Refusal::Of(own_status::kRequestTooLarge, text::kFieldTooLong,
                          std::to_string(kTextFieldLimit));
    }
    return collector_->Finish();
}

}  // namespace server

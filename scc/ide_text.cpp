#include "scc/ide_text.h"

#include "platform/host_code_page.h"

namespace brelmoxscc {

IdeText::IdeText(LPCSTR text) {
    if (text != nullptr) text_ = platform::FromHostCodePage(text);
}

IdeNames::IdeNames(LONG count, const LPCSTR* names) : ide_(names) {
    if (names == nullptr || count <= 0) return;
    for (LONG i = 0; i < count; ++i) {
        if (names[i] != nullptr) {
            names_.emplace_back(platform::FromHostCodePage(names[i]));
        } else {
            names_.emplace_back();
        }
    }
    for (const auto& name : names_) pointers_.push_back(name ? name->c_str() : nullptr);
}

LPCSTR IdeNames::IdeSpelling(LPCSTR name) const {
    for (size_t i = 0; i < pointers_.size(); ++i) {
        if (name != nullptr && pointers_[i] == name) return ide_[i];
    }
    return name;
}

}  // namespace brelmoxscc

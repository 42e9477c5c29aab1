// The strings an IDE passes, in its system's code page, as the provider's UTF-8: each one
// converted where it enters the provider.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scc/scc_api.h"

namespace brelmoxscc {

// One string from the IDE; null stays null.
class IdeText {
  public:
    explicit IdeText(LPCSTR text);
    LPCSTR Get() const { return text_ ? text_->c_str() : nullptr; }

  private:
    std::optional<std::string> text_;
};

// The IDE's array of file names; a null array or name stays null.
class IdeNames {
  public:
    IdeNames(LONG count, const LPCSTR* names);
    const LPCSTR* Get() const { return ide_ != nullptr ? pointers_.data() : nullptr; }
    // The IDE's own string of one of Get()'s names, so that what the IDE is handed back is
    // its own pointer; the name itself when it is not one of them.
    LPCSTR IdeSpelling(LPCSTR name) const;

  private:
    const LPCSTR* ide_;
    std::vector<std::optional<std::string>> names_;
    std::vector<LPCSTR> pointers_;
};

}  // namespace brelmoxscc

// The text of a registry-export file held as a list of entries that keep their bytes, so
// that changing one value rewrites that value's line and leaves every other line as it was.
// Only registry_file.cpp uses it; it does no input or output itself.
#pragma once

#include <string>
#include <vector>

#include "platform/registry_text.h"

namespace platform {

class RegDocument {
  public:
    static RegDocument Parse(const std::string& text);
    std::string Text() const;
    const std::vector<RegEntry>& Entries() const { return entries_; }

    // False when the key has no section. A value given twice reads as its last line.
    bool ReadKey(const std::string& key, RegValues* values) const;
    void CreateKey(const std::string& key);
    void SetValue(const std::string& key, const std::string& name, const RegValue& value);
    // Each returns false when there was nothing to delete. A key goes with its subkeys.
    bool DeleteValue(const std::string& key, const std::string& name);
    bool DeleteKey(const std::string& key);
    // A registry-export file holding the key and its subkeys; empty when the key is missing.
    std::string ExportText(const std::string& key) const;

  private:
    std::vector<size_t> SectionsUnder(const std::string& key, bool withSubkeys) const;
    size_t SectionEnd(size_t section) const;   // the next section's index, or the end
    size_t LastValueOf(size_t section) const;  // the section itself when it has no value
    std::vector<size_t> ValuesNamed(const std::string& key, const std::string& name) const;
    void Insert(size_t at, const std::string& raw);

    std::vector<RegEntry> entries_;
};

}  // namespace platform

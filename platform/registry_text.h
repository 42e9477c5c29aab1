// The line grammar of the configuration file, a registry-export file: what one line says
// and how a line is written. Only the store (registry_document, registry_file) uses it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_file.h"

namespace platform {

extern const char kRegFileHeader[];  // "Windows Registry Editor Version 5.00"

// One logical line of the file. A hex value may run on over continuation lines that end
// in a backslash; they all belong to its entry.
struct RegEntry {
    // Ignorable: blank, ';' comment or the header line. Unknown: anything else not understood.
    enum class Kind { Ignorable, Unknown, Section, Value };
    Kind kind = Kind::Ignorable;
    std::string raw;  // the bytes as read, line ends included
    int line = 0;     // number of its first line, from 1
    // Section: the key below HKEY_CURRENT_USER; empty for a section of any other root.
    std::string key;
    // Value: the name ("" for the default value, written @) and the data, absent when
    // its form (hex(2): and the like) is not one this store reads.
    std::string name;
    std::optional<RegValue> value;
};

// Fills the entry's kind, key, name and value from a line's content: its text without
// the line end, the surrounding blanks and, for a wrapped value, the joining backslashes.
void ClassifyLine(std::string_view content, RegEntry* entry);

std::string SectionLine(const std::string& key);
// "Name"=DATA or, for the empty name, @=DATA, followed by lineEnd.
std::string ValueLine(const std::string& name, const RegValue& value, const std::string& lineEnd);

bool EqualsIgnoringCase(const std::string& a, const std::string& b);
// True when sub lies below key, e.g. "A\B\C" below "a\b".
bool IsSubkey(const std::string& sub, const std::string& key);
std::string_view TrimBlanks(std::string_view text);

}  // namespace platform

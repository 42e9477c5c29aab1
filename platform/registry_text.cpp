#include "platform/registry_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace platform {

const char kRegFileHeader[] = "Windows Registry Editor Version 5.00";

namespace {

const char kOldHeader[] = "REGEDIT4";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(std::string(text.substr(0, prefix.size())), std::string(prefix));
}

enum class Root { None, CurrentUser, Other };

// Splits a leading root key name off the path; the rest is the whole path when there is none.
Root SplitRoot(const std::string& path, std::string* rest) {
    size_t slash = path.find('\\');
    std::string first = path.substr(0, slash);
    *rest = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (EqualsIgnoringCase(first, "HKEY_CURRENT_USER") || EqualsIgnoringCase(first, "HKCU")) {
        return Root::CurrentUser;
    }
    for (const char* other : {"HKLM", "HKCR", "HKU", "HKCC"}) {
        if (EqualsIgnoringCase(first, other)) return Root::Other;
    }
    if (StartsWithIgnoringCase(first, "HKEY_")) return Root::Other;
    *rest = path;
    return Root::None;
}

// "" for a path that cannot name a key: empty, an empty component, or a line break inside.
std::string CleanKey(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty() || path.front() == '\\' || path.find("\\\\") != std::string::npos ||
        path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        return "";
    }
    return path;
}

std::string Escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// Reads a "quoted" text at *pos, where only \\ and \" are escapes, and moves *pos past it.
bool ParseQuoted(std::string_view s, size_t* pos, std::string* out) {
    if (*pos >= s.size() || s[*pos] != '"') return false;
    out->clear();
    for (size_t i = *pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
        out->push_back(c);
    }
    return false;
}

std::optional<uint32_t> ParseHex(std::string_view digits, size_t maxDigits) {
    uint32_t number = 0;
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return number;
}

std::optional<std::string> ParseHexList(std::string_view list) {
    std::string bytes;
    list = TrimBlanks(list);
    while (!list.empty()) {
        size_t comma = list.find(',');
        auto byte = ParseHex(TrimBlanks(list.substr(0, comma)), 2);
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
        if (comma == std::string_view::npos) break;
        list = list.substr(comma + 1);
        if (list.empty()) return std::nullopt;
    }
    return bytes;
}

std::optional<RegValue> ParseData(std::string_view data) {
    if (StartsWithIgnoringCase(data, "hex:")) {
        auto bytes = ParseHexList(data.substr(4));
        if (bytes) return RegValue{RegType::Binary, *bytes};
    } else if (StartsWithIgnoringCase(data, "dword:")) {
        auto number = ParseHex(data.substr(6), 8);
        if (number) return MakeDwordValue(*number);
    } else {
        size_t end = 0;
        std::string text;
        if (ParseQuoted(data, &end, &text) && end == data.size()) {
            return RegValue{RegType::String, text};
        }
    }
    return std::nullopt;
}

// A value line is "Name"=DATA or @=DATA; false for anything else.
bool ParseValueLine(std::string_view content, RegEntry* entry) {
    size_t pos = 0;
    if (content.starts_with('@')) {
        entry->name.clear();
        pos = 1;
    } else if (!ParseQuoted(content, &pos, &entry->name)) {
        return false;
    }
    std::string_view rest = TrimBlanks(content.substr(pos));
    if (!rest.starts_with('=')) return false;
    entry->kind = RegEntry::Kind::Value;
    entry->value = ParseData(TrimBlanks(rest.substr(1)));
    return true;
}

}  // namespace

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return AsciiLower(x) < AsciiLower(y);
    });
}

RegValue MakeDwordValue(uint32_t number) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(number >> shift);
    return RegValue{RegType::Dword, bytes};
}

uint32_t DwordNumber(const RegValue& value) {
    uint32_t number = 0;
    for (size_t i = 0; i < 4 && i < value.data.size(); ++i) {
        number |= static_cast<uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
    }
    return number;
}

std::string NormalizeKeyPath(const std::string& key) {
    std::string rest;
    return SplitRoot(key, &rest) == Root::Other ? "" : CleanKey(rest);
}

std::string FormatRegValue(const RegValue& value) {
    char hex[16];
    if (value.type == RegType::String) return '"' + Escape(value.data) + '"';
    if (value.type == RegType::Dword) {
        std::snprintf(hex, sizeof hex, "%08x", DwordNumber(value));
        return std::string("dword:") + hex;
    }
    std::string text = "hex:";
    for (size_t i = 0; i < value.data.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%s%02x", i ? "," : "",
                      static_cast<unsigned char>(value.data[i]));
        text += hex;
    }
    return text;
}

std::string_view TrimBlanks(std::string_view text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsSubkey(const std::string& sub, const std::string& key) {
    return sub.size() > key.size() && sub[key.size()] == '\\' &&
           EqualsIgnoringCase(sub.substr(0, key.size()), key);
}

void ClassifyLine(std::string_view content, RegEntry* entry) {
    if (content.empty() || content.starts_with(';') || content == kRegFileHeader ||
        content == kOldHeader) {
        entry->kind = RegEntry::Kind::Ignorable;
    } else if (content.starts_with('[') && content.ends_with(']')) {
        std::string rest;
        Root root = SplitRoot(std::string(content.substr(1, content.size() - 2)), &rest);
        entry->kind = RegEntry::Kind::Section;
        entry->key = root == Root::CurrentUser ? CleanKey(rest) : "";
    } else if (!ParseValueLine(content, entry)) {
        entry->kind = RegEntry::Kind::Unknown;
    }
}

std::string SectionLine(const std::string& key) {
    return "[HKEY_CURRENT_USER\\" + key + "]\n";
}

std::string ValueLine(const std::string& name, const RegValue& value, const std::string& lineEnd) {
    std::string quotedName = name.empty() ? "@" : '"' + Escape(name) + '"';
    return quotedName + "=" + FormatRegValue(value) + lineEnd;
}

}  // namespace platform

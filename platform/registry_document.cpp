#include "platform/registry_document.h"

namespace platform {
namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsBlank(const RegEntry& entry) {
    return TrimBlanks(entry.raw).empty();
}

std::string LineEndOf(const std::string& raw) {
    if (raw.ends_with("\r\n")) return "\r\n";
    return raw.ends_with('\n') ? "\n" : "";
}

RegEntry EntryOf(const std::string& raw) {
    return RegDocument::Parse(raw).Entries().front();
}

}  // namespace

RegDocument RegDocument::Parse(const std::string& text) {
    RegDocument document;
    size_t pos = 0;
    int line = 1;
    while (pos < text.size()) {
        RegEntry entry;
        entry.line = line;
        std::string content;
        for (;;) {
            size_t end = text.find('\n', pos);
            end = end == std::string::npos ? text.size() : end + 1;
            std::string_view piece(text.data() + pos, end - pos);
            if (line == 1 && piece.starts_with(kUtf8Mark)) piece.remove_prefix(3);
            entry.raw.append(text, pos, end - pos);
            content += TrimBlanks(piece);
            pos = end;
            ++line;
            // Long binary values are wrapped with a trailing backslash.
            bool wrapped =
                (content.starts_with('"') || content.starts_with('@')) && content.ends_with('\\');
            if (!wrapped || pos >= text.size()) break;
            content.pop_back();
        }
        ClassifyLine(content, &entry);
        document.entries_.push_back(std::move(entry));
    }
    return document;
}

std::string RegDocument::Text() const {
    std::string text;
    for (const RegEntry& entry : entries_) text += entry.raw;
    return text;
}

std::vector<size_t> RegDocument::SectionsUnder(const std::string& key, bool withSubkeys) const {
    std::vector<size_t> sections;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const RegEntry& entry = entries_[i];
        if (entry.kind == RegEntry::Kind::Section && !entry.key.empty() &&
            (EqualsIgnoringCase(entry.key, key) || (withSubkeys && IsSubkey(entry.key, key)))) {
            sections.push_back(i);
        }
    }
    return sections;
}

size_t RegDocument::SectionEnd(size_t section) const {
    size_t end = section + 1;
    while (end < entries_.size() && entries_[end].kind != RegEntry::Kind::Section) ++end;
    return end;
}

size_t RegDocument::LastValueOf(size_t section) const {
    size_t last = section;
    for (size_t i = section + 1; i < SectionEnd(section); ++i) {
        if (entries_[i].kind == RegEntry::Kind::Value) last = i;
    }
    return last;
}

std::vector<size_t> RegDocument::ValuesNamed(const std::string& key,
                                             const std::string& name) const {
    std::vector<size_t> found;
    for (size_t section : SectionsUnder(key, false)) {
        for (size_t i = section + 1; i < SectionEnd(section); ++i) {
            const RegEntry& entry = entries_[i];
            if (entry.kind == RegEntry::Kind::Value && EqualsIgnoringCase(entry.name, name)) {
                found.push_back(i);
            }
        }
    }
    return found;
}

void RegDocument::Insert(size_t at, const std::string& raw) {
    if (at > 0 && !entries_[at - 1].raw.ends_with('\n')) entries_[at - 1].raw += '\n';
    entries_.insert(entries_.begin() + at, EntryOf(raw));
}

bool RegDocument::ReadKey(const std::string& key, RegValues* values) const {
    // A key whose subkeys alone are written out exists too: making a subkey makes its parents.
    if (SectionsUnder(key, true).empty()) return false;
    values->clear();
    for (size_t section : SectionsUnder(key, false)) {
        for (size_t i = section + 1; i < SectionEnd(section); ++i) {
            const RegEntry& entry = entries_[i];
            if (entry.kind == RegEntry::Kind::Value && entry.value) {
                values->insert_or_assign(entry.name, *entry.value);
            }
        }
    }
    return true;
}

void RegDocument::CreateKey(const std::string& key) {
    if (!SectionsUnder(key, false).empty()) return;
    if (entries_.empty()) Insert(0, std::string(kRegFileHeader) + "\n");
    if (!IsBlank(entries_.back())) Insert(entries_.size(), "\n");
    Insert(entries_.size(), SectionLine(key));
}

void RegDocument::SetValue(const std::string& key, const std::string& name, const RegValue& value) {
    // The last line of that name is the one that reads back, so it is the one to change;
    // it keeps the name as first written, as the registry does.
    std::vector<size_t> found = ValuesNamed(key, name);
    if (!found.empty()) {
        RegEntry& entry = entries_[found.back()];
        entry = EntryOf(ValueLine(entry.name, value, LineEndOf(entry.raw)));
        return;
    }
    CreateKey(key);
    Insert(LastValueOf(SectionsUnder(key, false).back()) + 1, ValueLine(name, value, "\n"));
}

bool RegDocument::DeleteValue(const std::string& key, const std::string& name) {
    std::vector<size_t> found = ValuesNamed(key, name);
    for (auto i = found.rbegin(); i != found.rend(); ++i) entries_.erase(entries_.begin() + *i);
    return !found.empty();
}

bool RegDocument::DeleteKey(const std::string& key) {
    std::vector<size_t> sections = SectionsUnder(key, true);
    for (auto section = sections.rbegin(); section != sections.rend(); ++section) {
        // Lines after the last value (comments, the blank line that separates the next
        // section) stay, but for one blank line so that no gap grows where the key was.
        size_t end = LastValueOf(*section) + 1;
        if (end < entries_.size() && IsBlank(entries_[end])) ++end;
        entries_.erase(entries_.begin() + *section, entries_.begin() + end);
    }
    return !sections.empty();
}

std::string RegDocument::ExportText(const std::string& key) const {
    std::vector<size_t> sections = SectionsUnder(key, true);
    if (sections.empty()) return "";
    std::string text = std::string(kRegFileHeader) + "\n\n";
    for (size_t section : sections) {
        text += SectionLine(entries_[section].key);
        for (size_t i = section + 1; i < SectionEnd(section); ++i) {
            const RegEntry& entry = entries_[i];
            if (entry.kind != RegEntry::Kind::Value) continue;
            text += entry.value ? ValueLine(entry.name, *entry.value, "\n") : entry.raw;
            if (!text.ends_with('\n')) text += '\n';
        }
        text += "\n";
    }
    return text;
}

}  // namespace platform

#include "platform/registry_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "platform/file_system.h"
#include "platform/registry_document.h"

namespace platform {
namespace {

// Import errors read "FILE, line N: PROBLEM" or "FILE: PROBLEM".
const char kAtLine[] = ", line ";
const char kNoKey[] = "no key to import";
const char kForeignKey[] = "not a key of HKEY_CURRENT_USER";
const char kValueOutsideKey[] = "a value before any key";
const char kUnreadableValue[] = "a value whose type or text cannot be read";
const char kUnknownLine[] = "a line that is neither a key, a value nor a comment";

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// Every missing folder of the path gets mode 0700: the file inside holds a password.
int MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        if (mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

int ReadWholeFile(const std::string& path, std::string* text) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return errno;
    text->clear();
    char buffer[8192];
    for (;;) {
        ssize_t count = read(file.get(), buffer, sizeof buffer);
        if (count == 0) return 0;
        if (count < 0 && errno != EINTR) return errno;
        if (count > 0) text->append(buffer, count);
    }
}

// Readers see the old text or the new one, never a part; a full disk leaves the old file.
int ReplaceFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".XXXXXX";
    UniqueFd file(mkostemp(temp.data(), O_CLOEXEC));
    if (file.get() < 0) return errno;
    bool written = fchmod(file.get(), 0600) == 0 &&
                   WriteAll(file.get(), text.data(), text.size()) && fsync(file.get()) == 0 &&
                   file.Close() && rename(temp.c_str(), path.c_str()) == 0;
    if (!written) {
        int error = errno;
        unlink(temp.c_str());
        return error;
    }
    // So that the rename itself survives a crash.
    UniqueFd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) fsync(folder.get());
    return 0;
}

// Writers read, change and replace the file under an exclusive lock on a file beside it,
// so that no writer loses another's value. Readers need no lock: the file is only ever
// replaced whole.
int ModifyStore(const std::function<int(RegDocument*)>& change) {
    std::string path = ConfigFilePath();
    if (int error = MakeFolders(FolderOf(path))) return error;
    UniqueFd lock(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0 || flock(lock.get(), LOCK_EX) != 0) return errno;
    std::string text;
    int error = ReadWholeFile(path, &text);
    if (error && error != ENOENT) return error;
    RegDocument document = RegDocument::Parse(text);
    if ((error = change(&document))) return error;
    std::string changed = document.Text();
    return changed == text ? 0 : ReplaceFile(path, changed);
}

// Runs a change on one key; EINVAL for a path that names no key of HKEY_CURRENT_USER.
int ChangeKey(const std::string& keyPath,
              const std::function<int(RegDocument*, const std::string&)>& change) {
    std::string key = NormalizeKeyPath(keyPath);
    if (key.empty()) return EINVAL;
    return ModifyStore([&](RegDocument* store) { return change(store, key); });
}

// A line break would end the value's line early; a NUL would end the text for any reader.
bool IsStorable(const std::string& name, const RegValue& value) {
    const std::string breaks("\r\n\0", 3);
    if (name.find_first_of(breaks) != std::string::npos) return false;
    if (value.type == RegType::String) return value.data.find_first_of(breaks) == std::string::npos;
    return value.type != RegType::Dword || value.data.size() == 4;
}

const char* ImportProblem(const RegEntry& entry, bool inKey) {
    switch (entry.kind) {
        case RegEntry::Kind::Section:
            return entry.key.empty() ? kForeignKey : nullptr;
        case RegEntry::Kind::Value:
            if (!inKey) return kValueOutsideKey;
            return entry.value ? nullptr : kUnreadableValue;
        case RegEntry::Kind::Unknown:
            return kUnknownLine;
        case RegEntry::Kind::Ignorable:
            break;
    }
    return nullptr;
}

bool CheckImportable(const RegDocument& imported, const std::string& file, std::string* error) {
    bool inKey = false;
    for (const RegEntry& entry : imported.Entries()) {
        if (const char* problem = ImportProblem(entry, inKey)) {
            *error = file + kAtLine + std::to_string(entry.line) + ": " + problem;
            return false;
        }
        inKey = inKey || entry.kind == RegEntry::Kind::Section;
    }
    if (!inKey) *error = file + ": " + kNoKey;
    return inKey;
}

// Reads and checks a file to import. Returns 0, or an errno value with a message in *error.
int ReadImportable(const std::string& file, RegDocument* imported, std::string* error) {
    std::string text;
    if (int readError = ReadWholeFile(file, &text)) {
        *error = FileErrorText("read", file, readError);
        return readError;
    }
    *imported = RegDocument::Parse(text);
    return CheckImportable(*imported, file, error) ? 0 : EINVAL;
}

void Merge(const RegDocument& imported, RegDocument* store) {
    std::string key;
    for (const RegEntry& entry : imported.Entries()) {
        if (entry.kind == RegEntry::Kind::Section) {
            key = entry.key;
            store->CreateKey(key);
        } else if (entry.kind == RegEntry::Kind::Value) {
            store->SetValue(key, entry.name, *entry.value);
        }
    }
}

}  // namespace

const char* StoreToolName() {
    return "brelmox-reg";
}

std::string ConfigFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return std::string(config) + "/brelmox/user.reg";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "";
    }
    return std::string(home) + "/.config/brelmox/user.reg";
}

bool RegReadKey(const std::string& keyPath, RegValues* values) {
    std::string key = NormalizeKeyPath(keyPath);
    std::string text;
    if (key.empty() || ReadWholeFile(ConfigFilePath(), &text) != 0) return false;
    return RegDocument::Parse(text).ReadKey(key, values);
}

int RegSetValue(const std::string& keyPath, const std::string& name, const RegValue& value) {
    if (!IsStorable(name, value)) return EINVAL;
    return ChangeKey(keyPath, [&](RegDocument* store, const std::string& key) {
        store->SetValue(key, name, value);
        return 0;
    });
}

int RegCreateKey(const std::string& keyPath) {
    return ChangeKey(keyPath, [](RegDocument* store, const std::string& key) {
        store->CreateKey(key);
        return 0;
    });
}

int RegDeleteValue(const std::string& keyPath, const std::string& name) {
    return ChangeKey(keyPath, [&](RegDocument* store, const std::string& key) {
        return store->DeleteValue(key, name) ? 0 : ENOENT;
    });
}

int RegDeleteKey(const std::string& keyPath) {
    return ChangeKey(keyPath, [](RegDocument* store, const std::string& key) {
        return store->DeleteKey(key) ? 0 : ENOENT;
    });
}

int RegImportFile(const std::string& file, std::string* error) {
    RegDocument imported;
    if (int problem = ReadImportable(file, &imported, error)) return problem;
    int writeError = ModifyStore([&](RegDocument* store) {
        Merge(imported, store);
        return 0;
    });
    if (writeError) *error = FileErrorText("write", ConfigFilePath(), writeError);
    return writeError;
}

int RegReadImportFile(const std::string& file, std::vector<RegImportedKey>* keys,
                      std::string* error) {
    RegDocument imported;
    if (int problem = ReadImportable(file, &imported, error)) return problem;
    for (const RegEntry& entry : imported.Entries()) {
        if (entry.kind == RegEntry::Kind::Section) keys->push_back({entry.key, {}});
        // A checked file has every value after a key, and readable.
        if (entry.kind == RegEntry::Kind::Value) keys->back().values[entry.name] = *entry.value;
    }
    return 0;
}

int RegExportKey(const std::string& keyPath, const std::string& file) {
    std::string key = NormalizeKeyPath(keyPath);
    std::string text;
    if (key.empty()) return EINVAL;
    if (int error = ReadWholeFile(ConfigFilePath(), &text)) return error;
    std::string exported = RegDocument::Parse(text).ExportText(key);
    if (exported.empty()) return ENOENT;
    // Written in place rather than renamed over: the target may be a device or a pipe.
    UniqueFd out(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (out.get() < 0) return errno;
    bool written = WriteAll(out.get(), exported.data(), exported.size()) && out.Close();
    return written ? 0 : errno;
}

}  // namespace platform

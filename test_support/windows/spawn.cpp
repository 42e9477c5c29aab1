#include "test_support/spawn.h"
#include "test_support/run_program.h"

#include <io.h>

#include <cwchar>
#include <mutex>

#include "platform/windows/system_error.h"
#include "platform/windows/utf16.h"
#include "test_support/windows/command_line.h"

namespace testsupport {
namespace {

// Variable names compare without regard to case, and the system wants the block sorted.
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
};

// This process's environment with extraEnv merged in, as the block CreateProcessW takes.
std::wstring MergedEnvironment(const std::map<std::string, std::string>& extraEnv) {
    std::map<std::wstring, std::wstring, NameLess> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            const std::wstring text(entry);
            // Names such as "=C:", the current folder of a drive, start with '='.
            const size_t equals = text.find(L'=', 1);
            if (equals != std::wstring::npos) {
                variables[text.substr(0, equals)] = text.substr(equals + 1);
            }
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : extraEnv) {
        variables[platform::Utf16(name)] = platform::Utf16(value);
    }
    std::wstring merged;
    for (const auto& [name, value] : variables) merged += name + L"=" + value + L'\0';
    return merged + L'\0';
}

// Inheritable twins of the three streams for one child, closed once it has them.
class InheritedStreams {
  public:
    explicit InheritedStreams(const int (&streams)[3]) {
        for (int i = 0; i < 3; ++i) {
            const HANDLE own = reinterpret_cast<HANDLE>(_get_osfhandle(streams[i]));
            if (!DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &handles_[i], 0,
                                 TRUE, DUPLICATE_SAME_ACCESS)) {
                handles_[i] = nullptr;
                error_ = platform::ErrnoFromLastError();
            }
        }
    }
    ~InheritedStreams() {
        for (const HANDLE handle : handles_) {
            if (handle != nullptr) CloseHandle(handle);
        }
    }
    InheritedStreams(const InheritedStreams&) = delete;
    InheritedStreams& operator=(const InheritedStreams&) = delete;

    int Error() const { return error_; }
    HANDLE operator[](int i) const { return handles_[i]; }

  private:
    HANDLE handles_[3] = {};
    int error_ = 0;
};

// A child inherits every inheritable handle there is at its start: the streams of two
// children started at once must not leak into each other.
std::mutex spawning;

}  // namespace

int SpawnProgram(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnv, const int (&streams)[3],
                 const std::string& cwd, ChildProcess* child) {
    std::wstring commandLine = WindowsCommandLine(argv);
    std::wstring environment = MergedEnvironment(extraEnv);
    const std::wstring folder = cwd.empty() ? L"" : platform::WidePath(cwd);
    const std::lock_guard<std::mutex> lock(spawning);
    const InheritedStreams inherited(streams);
    if (inherited.Error() != 0) return inherited.Error();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inherited[0];
    startup.hStdOutput = inherited[1];
    startup.hStdError = inherited[2];
    PROCESS_INFORMATION started{};
    // Without an application name the system searches PATH for the program and adds ".exe".
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(),
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        return platform::ErrnoFromLastError();
    }
    CloseHandle(started.hThread);
    *child = reinterpret_cast<ChildProcess>(started.hProcess);
    return 0;
}

std::optional<int> WaitForExit(ChildProcess child, bool block) {
    const HANDLE process = reinterpret_cast<HANDLE>(child);
    const DWORD waited = WaitForSingleObject(process, block ? INFINITE : 0);
    if (waited == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    const bool known = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return known ? static_cast<int>(code) : -1;
}

int ExitStatusFor(int resultCode) {
    return resultCode;
}

std::string NativeLines(const std::string& text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
}

}  // namespace testsupport

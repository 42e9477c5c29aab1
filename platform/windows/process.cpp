#include "platform/process.h"

#include <memory>

#include "platform/windows/system_error.h"
#include "platform/windows/utf16.h"
#include "platform/windows/windows_api.h"

namespace platform {

namespace {

// One argument as the runtime's command-line parser reads it back: in double quotes, a
// quote escaped with a backslash and the backslashes before it (or before the closing
// quote) doubled; other backslashes stand for themselves.
std::wstring Quoted(const std::string& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : Utf16(argument)) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L'"';
}

// What a waiting thread removes once the program has ended. It holds a reference to the
// module it runs in, so that a library unloaded meanwhile stays until the thread is done.
struct Leftovers {
    HANDLE program = nullptr;
    HMODULE module = nullptr;
    std::vector<std::string> paths;
};

DWORD WINAPI RemoveWhenEnded(LPVOID parameter) {
    std::unique_ptr<Leftovers> leftovers(static_cast<Leftovers*>(parameter));
    WaitForSingleObject(leftovers->program, INFINITE);
    CloseHandle(leftovers->program);
    for (const std::string& path : leftovers->paths) {
        const std::wstring wide = WidePath(path);
        if (!DeleteFileW(wide.c_str())) RemoveDirectoryW(wide.c_str());
    }
    const HMODULE module = leftovers->module;
    leftovers.reset();
    FreeLibraryAndExitThread(module, 0);
}

// Leaves the paths in the temporary folder when no thread can wait.
void RemoveLater(HANDLE program, const std::vector<std::string>& paths) {
    auto leftovers = std::make_unique<Leftovers>();
    leftovers->program = program;
    leftovers->paths = paths;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&RemoveWhenEnded), &leftovers->module)) {
        CloseHandle(program);
        return;
    }
    const HANDLE thread = CreateThread(nullptr, 0, RemoveWhenEnded, leftovers.get(), 0, nullptr);
    if (thread == nullptr) {
        FreeLibrary(leftovers->module);
        CloseHandle(program);
        return;
    }
    leftovers.release();
    CloseHandle(thread);
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   int* error, const std::vector<std::string>& leftovers) {
    // The program's own name is read without backslash escapes: quotes alone keep it whole.
    std::wstring commandLine = L"\"" + Utf16(program) + L"\"";
    for (const std::string& argument : arguments) commandLine += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &started)) {
        *error = ErrnoFromLastError();
        return false;
    }
    CloseHandle(started.hThread);
    if (leftovers.empty()) {
        CloseHandle(started.hProcess);
    } else {
        RemoveLater(started.hProcess, leftovers);
    }
    return true;
}

}  // namespace platform

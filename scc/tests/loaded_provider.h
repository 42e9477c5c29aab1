// The built provider library loaded into the test as an IDE loads it, and what the system's
// loader sees of it.
#pragma once

#include <set>
#include <string>

namespace scctest {

class LoadedProvider {
  public:
    // Loads the library the build made; Error() says why when it could not.
    LoadedProvider();
    ~LoadedProvider();
    LoadedProvider(const LoadedProvider&) = delete;
    LoadedProvider& operator=(const LoadedProvider&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& Error() const { return error_; }
    void* Handle() const { return handle_; }

    // The entry point of that name, null when there is none.
    void* Find(const char* name) const;
    // Every name the library exports.
    std::set<std::string> ExportedNames() const;

  private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace scctest

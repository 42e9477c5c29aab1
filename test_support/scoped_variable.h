// An environment variable set for the life of the object; what was there before, set or
// not, comes back when it ends.
#pragma once

#include <optional>
#include <string>

namespace testsupport {

class ScopedVariable {
  public:
    ScopedVariable(std::string name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace testsupport

// The process environment on Windows: _wputenv_s changes the C runtime's copy and the
// system's, so that getenv and the programs a test starts both see the value.
#include "test_support/scoped_variable.h"

#include <cstdlib>

#include "platform/windows/utf16.h"

namespace testsupport {

ScopedVariable::ScopedVariable(std::string name, const std::string& value)
    : name_(std::move(name)) {
    const std::wstring wideName = platform::Utf16(name_);
    if (const wchar_t* old = _wgetenv(wideName.c_str())) saved_ = platform::Utf8(old);
    _wputenv_s(wideName.c_str(), platform::Utf16(value).c_str());
}

// An empty value removes the variable.
ScopedVariable::~ScopedVariable() {
    _wputenv_s(platform::Utf16(name_).c_str(), saved_ ? platform::Utf16(*saved_).c_str() : L"");
}

}  // namespace testsupport

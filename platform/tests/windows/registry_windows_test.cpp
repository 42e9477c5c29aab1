// The configuration store on the real registry: what another program (reg.exe, regedit)
// sees of a value written here, and what is read back of one it wrote.
#include "platform/windows/windows_api.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry_file.h"

namespace {

const char kTestKey[] = "SOFTWARE\\Farrowdyne\\BrelmoxTest";
const wchar_t kTestKeyW[] = L"SOFTWARE\\Farrowdyne\\BrelmoxTest";

class RegistryTest : public testing::Test {
  protected:
    void SetUp() override { platform::RegDeleteKey(kTestKey); }
    void TearDown() override { platform::RegDeleteKey(kTestKey); }

    // The value as the registry holds it, read with the system's own call.
    static std::pair<DWORD, std::string> Raw(const wchar_t* subkey, const wchar_t* name) {
        std::wstring key = std::wstring(kTestKeyW) + L"\\" + subkey;
        BYTE data[512] = {};
        DWORD size = sizeof data, type = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name,
                                      RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
        if (status != ERROR_SUCCESS) return {0, "missing"};
        return {type, std::string(reinterpret_cast<char*>(data), size)};
    }
};

TEST_F(RegistryTest, EachTypeIsStoredAsTheRegistryTypeAndReadBack) {
    const std::string key = std::string(kTestKey) + "\\Connection";
    const std::string password(127, 'p');
    struct Case {
        const char* name;
        const wchar_t* wideName;
        platform::RegValue value;
        DWORD type;
        std::string stored;  // the registry's bytes: UTF-16LE with its ending zero for texts
    };
    const Case cases[] = {
        {"URL",
         L"URL",
         {platform::RegType::String, "h\xC3\xA9:80"},
         REG_SZ,
         std::string("h\0\xE9\0:\0"
                     "8\0"
                     "0\0\0\0",
                     12)},
        {"Secure", L"Secure", {platform::RegType::Binary, "\x01"}, REG_BINARY, "\x01"},
        {"Empty", L"Empty", {platform::RegType::Binary, ""}, REG_BINARY, ""},
        {"Count", L"Count", platform::MakeDwordValue(0x2A), REG_DWORD,
         std::string("\x2A\0\0\0", 4)},
        {"\xE6\x97\xA5\xE6\x9C\xAC",
         L"\u65E5\u672C",
         {platform::RegType::String, ""},
         REG_SZ,
         std::string("\0\0", 2)},
    };
    for (const Case& c : cases) ASSERT_EQ(platform::RegSetValue(key, c.name, c.value), 0) << c.name;
    ASSERT_EQ(platform::RegSetValue(key, "Password", {platform::RegType::String, password}), 0);

    platform::RegValues values;
    ASSERT_TRUE(platform::RegReadKey("HKCU\\" + key, &values));
    EXPECT_EQ(values.size(), 6u);
    for (const Case& c : cases) {
        EXPECT_EQ(Raw(L"Connection", c.wideName), std::make_pair(c.type, c.stored)) << c.name;
        ASSERT_EQ(values.count(c.name), 1u) << c.name;
        EXPECT_EQ(values[c.name].type, c.value.type) << c.name;
        EXPECT_EQ(values[c.name].data, c.value.data) << c.name;
    }
    EXPECT_EQ(values["password"].data, password);  // names compare without case
    EXPECT_EQ(platform::DwordNumber(values["Count"]), 0x2Au);
}

TEST_F(RegistryTest, MissingKeysAndRefusedWritesLeaveTheStoreAsItWas) {
    platform::RegValues values;
    EXPECT_FALSE(platform::RegReadKey(std::string(kTestKey) + "\\Config", &values));
    EXPECT_FALSE(platform::RegReadKey("HKEY_LOCAL_MACHINE\\SOFTWARE", &values));
    const std::string key = std::string(kTestKey) + "\\Config";
    EXPECT_EQ(
        platform::RegSetValue(key, "Bad", {platform::RegType::String, std::string("a\0b", 3)}),
        EINVAL);
    EXPECT_EQ(platform::RegSetValue(key, "Bad", {platform::RegType::Dword, "123"}), EINVAL);
    EXPECT_EQ(platform::RegSetValue("HKLM\\SOFTWARE\\x", "Bad", {}), EINVAL);
    EXPECT_EQ(Raw(L"Config", L"Bad").second, "missing");

    // An empty key exists; deleting a value or the key makes each absent again.
    ASSERT_EQ(platform::RegCreateKey(key), 0);
    ASSERT_TRUE(platform::RegReadKey(key, &values));
    EXPECT_TRUE(values.empty());
    ASSERT_EQ(platform::RegSetValue(key, "Username", {platform::RegType::String, "alice"}), 0);
    EXPECT_EQ(platform::RegDeleteValue(key, "Username"), 0);
    EXPECT_EQ(platform::RegDeleteValue(key, "Username"), ENOENT);
    EXPECT_EQ(platform::RegDeleteKey(kTestKey), 0);
    EXPECT_FALSE(platform::RegReadKey(key, &values));
    EXPECT_EQ(platform::RegDeleteKey(kTestKey), ENOENT);
}

// A text another program stored without its ending zero, or with more after it, reads as the
// text alone.
TEST_F(RegistryTest, TextsStoredWithoutOrBeyondTheirEndingZeroReadAsTheText) {
    const std::wstring key = std::wstring(kTestKeyW) + L"\\Config";
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, L"Unended", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6);
    RegSetValueExW(handle, L"Twice", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"ab\0cd"), 12);
    RegCloseKey(handle);
    platform::RegValues values;
    ASSERT_TRUE(platform::RegReadKey(std::string(kTestKey) + "\\Config", &values));
    EXPECT_EQ(values["Unended"].data, "abc");
    EXPECT_EQ(values["Twice"].data, "ab");
}

}  // namespace

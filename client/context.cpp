#include "client/context.h"

#include <iostream>

#include "client/messages.h"
#include "common/format.h"
#include "common/result_codes.h"
#include "platform/http_client.h"
#include "platform/registry_file.h"

namespace brelmox {

namespace {

// Values are read through a 128-byte buffer: a longer text does not fit and reads as empty.
constexpr size_t kValueBufferSize = 128;

// What a context shows until its owner installs a notifier of its own.
class StandardErrorNotifier : public Notifier {
  public:
    void Message(const std::string& text) override { std::cerr << text << std::endl; }
    void FileDone(const FileOutcome&) override {}
    void ProjectCreated(const std::string&) override {}
    void LabelAttached(const std::string&, const std::string&) override {}
    void ProgressBegin(const std::string&, size_t) override {}
    bool ProgressStep(const std::string&) override { return true; }
    void ProgressEnd() override {}
};

std::string ReadString(const platform::RegValues& values, const char* name) {
    auto found = values.find(name);
    if (found == values.end()) return "";
    std::string text = found->second.data.c_str();
    return text.size() < kValueBufferSize ? text : "";
}

// The flag is the value's only byte; any other length leaves it clear.
uint8_t ReadOneByte(const platform::RegValues& values, const char* name) {
    auto found = values.find(name);
    if (found == values.end() || found->second.data.size() != 1) return 0;
    return static_cast<uint8_t>(found->second.data[0]);
}

}  // namespace

COstrelContext::COstrelContext()
    : notifier_(std::make_unique<StandardErrorNotifier>()),
      http_(std::make_unique<platform::HttpSession>()) {}

COstrelContext::~COstrelContext() = default;

void COstrelContext::SetNotifier(std::unique_ptr<Notifier> notifier) {
    notifier_ = notifier ? std::move(notifier) : std::make_unique<StandardErrorNotifier>();
}

std::string BuildKeyPath(const std::string& subKey) {
    return FormatMessage(msg::kKeyFormat, msg::kCompanyProduct, subKey);
}

int COstrelContext::LoadConfig() {
    int result = 0;
    platform::RegValues values;
    if (platform::RegReadKey(BuildKeyPath(msg::kConfigKey), &values)) {
        m_strUsername = ReadString(values, msg::kValUsername);
        m_strPassword = ReadString(values, msg::kValPassword);
        m_strOrganization = ReadString(values, msg::kValOrganization);
        m_strProject = ReadString(values, msg::kValProject);
        m_strDiffCommand = ReadString(values, msg::kValDiffCommand);
    } else {
        result = result::kConfigMissing;
    }
    values.clear();
    if (platform::RegReadKey(BuildKeyPath(msg::kConnectionKey), &values)) {
        m_strURL = ReadString(values, msg::kValURL);
        m_strVirtualDirectory = ReadString(values, msg::kValVirtualDirectory);
        m_bSecure = ReadOneByte(values, msg::kValSecure);
    } else {
        result = result::kConfigMissing;
    }
    return result;
}

int COstrelContext::SaveConfig() {
    const std::string key = BuildKeyPath(msg::kConfigKey);
    WriteRegString(key, msg::kValUsername, m_strUsername);
    WriteRegString(key, msg::kValPassword, m_strPassword);
    WriteRegString(key, msg::kValOrganization, m_strOrganization);
    WriteRegString(key, msg::kValProject, m_strProject);
    WriteRegString(key, msg::kValDiffCommand, m_strDiffCommand);
    return 0;
}

int WriteRegString(const std::string& keyPath, const std::string& name, const std::string& text) {
    platform::RegValue value;
    value.type = platform::RegType::String;
    value.data = text.c_str();
    return platform::RegSetValue(keyPath, name, value);
}

int ReportMessage(const COstrelContext& context, std::string text) {
    context.Notify().Message(text);
    return 1;
}

}  // namespace brelmox

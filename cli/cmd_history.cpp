#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "cli/commands.h"
#include "cli/json_line.h"
#include "cli/messages.h"
#include "cli/switch_scan.h"
#include "client/operations.h"
#include "client/path_text.h"

namespace {

using brelmox::CFileVersion;

struct HistorySwitches {
    std::string from;
    int props = 0;
    int json = 0;
};

HistorySwitches ScanHistorySwitches(int argc, char** argv) {
    HistorySwitches found;
    ScanSwitches(argc, argv,
                 {ValueSwitch("-f", &found.from), FlagSwitch("-props", &found.props),
                  FlagSwitch("-json", &found.json)});
    return found;
}

struct Property {
    const char* name;     // in text
    const char* jsonKey;  // in JSON
    std::string CFileVersion::*value;
};
constexpr Property kProperties[] = {
    {climsg::kPropertyFile, "viewpath", &CFileVersion::m_strFileName},
    {climsg::kPropertyVersion, "version", &CFileVersion::m_strVersion},
    {climsg::kPropertyStatus, "status", &CFileVersion::m_strStatus},
    {climsg::kPropertyDate, "date", &CFileVersion::m_strDate},
    {climsg::kPropertyUser, "user", &CFileVersion::m_strUser},
    {climsg::kPropertyDescription, "description", &CFileVersion::m_strDescription},
    {climsg::kPropertyDateRemoved, "dateremoved", &CFileVersion::m_strDateRemoved},
    {climsg::kPropertyRemover, "remover", &CFileVersion::m_strRemover},
};

// The server promises no order; the newest version has the highest number. A version that
// is not a number counts as 0.
void NewestFirst(std::vector<CFileVersion>* versions) {
    const auto number = [](const CFileVersion& v) {
        return std::strtol(v.m_strVersion.c_str(), nullptr, 10);
    };
    std::stable_sort(
        versions->begin(), versions->end(),
        [&](const CFileVersion& a, const CFileVersion& b) { return number(a) > number(b); });
}

void PrintVersion(bool json, const CFileVersion& version) {
    if (json) {
        JsonLine()
            .Text("version", version.m_strVersion)
            .Text("date", version.m_strDate)
            .Text("user", version.m_strUser)
            .Text("status", version.m_strStatus)
            .Text("description", version.m_strDescription)
            .Print();
        return;
    }
    std::cout << version.m_strVersion << "  " << version.m_strDate << "  " << version.m_strUser
              << "  " << version.m_strStatus << "  " << version.m_strDescription << '\n';
}

void PrintProperties(bool json, const CFileVersion& record) {
    JsonLine object;
    for (const Property& property : kProperties) {
        if (json) {
            object.Text(property.jsonKey, record.*property.value);
        } else {
            std::cout << property.name << ": " << record.*property.value << '\n';
        }
    }
    if (json) object.Print();
}

}  // namespace

bool HistoryWantsJson(int argc, char** argv) {
    return ScanHistorySwitches(argc, argv).json != 0;
}

// Both answers are in before anything is printed, so a failure shows only its message.
int RunHistory(brelmox::COstrelContext* context, int argc, char** argv) {
    const HistorySwitches switches = ScanHistorySwitches(argc, argv);
    // The same view path as get takes: leading and trailing separators do not count.
    CFileVersion record;
    record.m_strFileName = brelmox::TrimSlashes(switches.from);
    std::vector<CFileVersion> versions;
    int result = brelmox::GetHistory(*context, record.m_strFileName, "version", &versions);
    if (result == 0 && switches.props != 0) {
        result = brelmox::GetProperties(*context, record.m_strFileName, "version", &record);
    }
    if (result != 0) return result;
    NewestFirst(&versions);
    for (const CFileVersion& version : versions) PrintVersion(switches.json != 0, version);
    if (switches.props != 0) PrintProperties(switches.json != 0, record);
    std::cout.flush();
    return result;
}

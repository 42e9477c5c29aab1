#include <iostream>
#include <vector>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/switch_scan.h"
#include "client/operations.h"
#include "client/path_text.h"

namespace {

using brelmox::CFileVersion;

struct Property {
    const char* name;
    std::string CFileVersion::*value;
};
constexpr Property kProperties[] = {
    {climsg::kPropertyFile, &CFileVersion::m_strFileName},
    {climsg::kPropertyVersion, &CFileVersion::m_strVersion},
    {climsg::kPropertyStatus, &CFileVersion::m_strStatus},
    {climsg::kPropertyDate, &CFileVersion::m_strDate},
    {climsg::kPropertyUser, &CFileVersion::m_strUser},
    {climsg::kPropertyDescription, &CFileVersion::m_strDescription},
    {climsg::kPropertyDateRemoved, &CFileVersion::m_strDateRemoved},
    {climsg::kPropertyRemover, &CFileVersion::m_strRemover},
};

void PrintVersion(const CFileVersion& version) {
    std::cout << version.m_strVersion << "  " << version.m_strDate << "  " << version.m_strUser
              << "  " << version.m_strStatus << "  " << version.m_strDescription << '\n';
}

void PrintProperties(const CFileVersion& record) {
    for (const Property& property : kProperties) {
        std::cout << property.name << ": " << record.*property.value << '\n';
    }
}

}  // namespace

// Both answers are in before anything is printed, so a failure shows only its message.
int RunHistory(brelmox::COstrelContext* context, int argc, char** argv) {
    std::string from;
    int props = 0;
    ScanSwitches(argc, argv, {ValueSwitch("-f", &from), FlagSwitch("-props", &props)});
    // The same view path as get takes: leading and trailing separators do not count.
    CFileVersion record;
    record.m_strFileName = brelmox::TrimSlashes(from);
    std::vector<CFileVersion> versions;
    int result = brelmox::GetHistory(*context, record.m_strFileName, "version", &versions);
    if (result == 0 && props != 0) {
        result = brelmox::GetProperties(*context, record.m_strFileName, "version", &record);
    }
    if (result != 0) return result;
    for (const CFileVersion& version : versions) PrintVersion(version);
    if (props != 0) PrintProperties(record);
    std::cout.flush();
    return result;
}

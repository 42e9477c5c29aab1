// The columns of the history dialog's version list, the same in each platform's dialog.
#pragma once

#include <string>

#include "client/file_version.h"
#include "scc/messages.h"

namespace brelmoxscc {

struct HistoryColumn {
    const char* header;
    int pixels;
    std::string brelmox::CFileVersion::*field;
};

// Column 0 holds the version that Get fetches.
inline constexpr HistoryColumn kHistoryColumns[] = {
    {msg::kVersionColumn, 50, &brelmox::CFileVersion::m_strVersion},
    {msg::kStatusColumn, 100, &brelmox::CFileVersion::m_strStatus},
    {msg::kDateCreatedColumn, 100, &brelmox::CFileVersion::m_strDate},
    {msg::kCreatedByColumn, 100, &brelmox::CFileVersion::m_strUser},
    {msg::kDescriptionColumn, 250, &brelmox::CFileVersion::m_strDescription},
};

}  // namespace brelmoxscc

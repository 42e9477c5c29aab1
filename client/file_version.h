// What the history, properties and status queries return about a file. Every text is kept
// as the server sent it (dates are not parsed).
#pragma once

#include <string>

namespace brelmox {

// One version of a file.
struct CFileVersion {
    std::string m_strFileName;  // the view path; set by the caller that shows the record
    std::string m_strVersion;
    std::string m_strStatus;
    std::string m_strLabel;  // read only when the query type is "label"
    std::string m_strDate;
    std::string m_strUser;
    std::string m_strDescription;
    std::string m_strDateRemoved;  // properties only
    std::string m_strRemover;      // properties only
};

// One file's state from the multi-file status query.
struct FileState {
    int status = 0;
    std::string version;
};

}  // namespace brelmox

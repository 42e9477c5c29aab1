#include "client/version_query.h"

#include "client/short_answer.h"
#include "common/wire.h"

namespace brelmox {

MultipartBody VersionQueryBody(const COstrelContext& context, const std::string& viewPath,
                               const std::string& type) {
    MultipartBody body;
    AddCredentialFields(body, context, true);
    body.AddField("filepath", viewPath);
    body.AddField("type", type);
    return body;
}

int ReadVersionFields(FieldReader& answer, const std::string& type, CFileVersion* version) {
    if (type == "label") answer.Read(wire::kKeyLabel, &version->m_strLabel);
    answer.Read(wire::kKeyVersionStatus, &version->m_strStatus);
    answer.Read(wire::kKeyDate, &version->m_strDate);
    answer.Read(wire::kKeyUser, &version->m_strUser);
    return answer.Read(wire::kKeyDescription, &version->m_strDescription);
}

}  // namespace brelmox

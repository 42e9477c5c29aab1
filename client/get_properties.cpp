#include "client/messages.h"
#include "client/operations.h"
#include "client/version_query.h"
#include "common/wire.h"

namespace brelmox {

int GetProperties(COstrelContext& context, const std::string& viewPath, const std::string& type,
                  CFileVersion* record) {
    MultipartBody body = VersionQueryBody(context, viewPath, type);
    return PostFieldRequest(context, "get_properties_from_cli.php", body, msg::kErrGettingHistory,
                            kLongestVersionValue, [&](FieldReader& answer) {
                                CFileVersion read;
                                answer.Read(wire::kKeyVersion, &read.m_strVersion);
                                ReadVersionFields(answer, type, &read);
                                answer.Read(wire::kKeyDateRemoved, &read.m_strDateRemoved);
                                // Only a record that came whole replaces what the caller has.
                                if (answer.Read(wire::kKeyRemover, &read.m_strRemover) != 0) return;
                                read.m_strFileName = record->m_strFileName;
                                *record = std::move(read);
                            });
}

}  // namespace brelmox

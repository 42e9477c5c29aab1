#include <ctime>

#include "client/messages.h"
#include "client/operations.h"
#include "client/version_query.h"
#include "common/wire.h"
#include "platform/time_zone.h"

namespace brelmox {

int GetHistory(COstrelContext& context, const std::string& viewPath, const std::string& type,
               std::vector<CFileVersion>* versions) {
    // The server shows each version's date in the user's time.
    const int zone = platform::TimeZoneOffsetMinutes(std::time(nullptr));
    MultipartBody body = VersionQueryBody(context, viewPath, type);
    body.AddField("timezone", std::to_string(zone));
    return PostFieldRequest(context, "get_history_from_cli.php", body, msg::kErrGettingHistory,
                            kLongestVersionValue, [&](FieldReader& answer) {
                                // One holder for all records: a field a record lacks keeps
                                // the value of the record before.
                                CFileVersion version;
                                while (answer.Read(wire::kKeyVersion, &version.m_strVersion) == 0) {
                                    if (ReadVersionFields(answer, type, &version) == 0)
                                        versions->push_back(version);
                                }
                            });
}

}  // namespace brelmox

// History and properties against a scripted server: the requests, records in order, fields
// a record lacks, refusals and answers that break off.
#include <gtest/gtest.h>

#include <ctime>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "client/operations.h"
#include "client/tests/transfer_fixture.h"
#include "platform/time_zone.h"

namespace brelmox {

auto VersionFields(const CFileVersion& v) {
    return std::tie(v.m_strFileName, v.m_strVersion, v.m_strStatus, v.m_strLabel, v.m_strDate,
                    v.m_strUser, v.m_strDescription, v.m_strDateRemoved, v.m_strRemover);
}
bool operator==(const CFileVersion& a, const CFileVersion& b) {
    return VersionFields(a) == VersionFields(b);
}
void PrintTo(const CFileVersion& v, std::ostream* out) {
    *out << "{file='" << v.m_strFileName << "' version='" << v.m_strVersion << "' status='"
         << v.m_strStatus << "' label='" << v.m_strLabel << "' date='" << v.m_strDate << "' user='"
         << v.m_strUser << "' description='" << v.m_strDescription << "' removed='"
         << v.m_strDateRemoved << "' remover='" << v.m_strRemover << "'}";
}

namespace {

using testsupport::Answer;
using testsupport::HttpResponse;
using testsupport::KeywordField;
using Texts = std::vector<std::string>;
using Versions = std::vector<CFileVersion>;

CFileVersion Version(const std::string& number, const std::string& status, const std::string& label,
                     const std::string& date, const std::string& user,
                     const std::string& description) {
    CFileVersion version;
    version.m_strVersion = number;
    version.m_strStatus = status;
    version.m_strLabel = label;
    version.m_strDate = date;
    version.m_strUser = user;
    version.m_strDescription = description;
    return version;
}

const CFileVersion kFirst =
    Version("1", "Checked in", "R1", "2024-01-15 13:00:00", "alice", "first import");
const CFileVersion kSecond = Version("2", "Checked in", "", "2024-01-16 09:30:00", "bob", "fix");
const CFileVersion kThird =
    Version("3", "Checked out by bob", "Beta, R2", "2024-02-01 18:05:10", "alice", "");

// The fields of one version as the server sends them, with "label:" when withLabel.
std::string VersionFieldsText(const CFileVersion& v, bool withLabel) {
    return KeywordField("version:", v.m_strVersion) +
           (withLabel ? KeywordField("label:", v.m_strLabel) : "") +
           KeywordField("version_status:", v.m_strStatus) + KeywordField("date:", v.m_strDate) +
           KeywordField("user:", v.m_strUser) + KeywordField("description:", v.m_strDescription);
}

std::string HistoryBody(const Versions& versions, bool withLabel) {
    std::string body = testsupport::StatusBody(0);
    for (const CFileVersion& v : versions) body += VersionFieldsText(v, withLabel);
    return body;
}

CFileVersion WithoutLabel(CFileVersion version) {
    version.m_strLabel.clear();
    return version;
}

class GetHistoryTest : public TransferTest {
  protected:
    Versions History(int expectedResult, const std::string& type = "version",
                     Versions versions = {}) {
        EXPECT_EQ(GetHistory(context, "src\\a.c", type, &versions), expectedResult);
        return versions;
    }
};

// The zones themselves are the platform's (its own tests read them from TZ); the request
// carries the offset in force.
TEST_F(GetHistoryTest, RequestSendsTheFileTypeAndTimeZone) {
    server.Enqueue(testsupport::StatusReply(0));
    History(0, "label");
    const std::string minutes = std::to_string(platform::TimeZoneOffsetMinutes(std::time(nullptr)));
    EXPECT_EQ(server.Request(0).target, "/get_history_from_cli.php");
    EXPECT_EQ(server.Request(0).body,
              "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nalice"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"password\"\r\n\r\nsecret"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"organization\"\r\n\r\nAcme"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"project\"\r\n\r\nWeb"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"filepath\"\r\n\r\nsrc\\a.c"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"type\"\r\n\r\nlabel"
              "\r\n--AaB03x\r\nContent-Disposition: form-data; name=\"timezone\"\r\n\r\n" +
                  minutes + "\r\n--AaB03x--\r\n");
}

TEST_F(GetHistoryTest, VersionsAreAppendedInTheServersOrder) {
    const Versions all = {kFirst, kSecond, kThird};
    const Versions unlabelled = {WithoutLabel(kFirst), WithoutLabel(kSecond), WithoutLabel(kThird)};
    // A field a record lacks (another field stands in its place) keeps the value of the
    // record before.
    const std::string noSecondDate = HistoryBody({kFirst}, false) + KeywordField("version:", "2") +
                                     KeywordField("version_status:", "Checked in") +
                                     KeywordField("time:", "09:30") + KeywordField("user:", "bob") +
                                     KeywordField("description:", "fix");
    CFileVersion secondWithFirstDate = WithoutLabel(kSecond);
    secondWithFirstDate.m_strDate = kFirst.m_strDate;
    // A record without its description is left out.
    const std::string noLastDescription =
        HistoryBody({kFirst}, true) + KeywordField("version:", "2") + KeywordField("label:", "") +
        KeywordField("version_status:", "Checked in") + KeywordField("date:", "today") +
        KeywordField("user:", "bob");
    const struct {
        std::string type;
        std::string body;
        Versions expected;
    } cases[] = {
        {"label", HistoryBody(all, true), all},
        {"version", HistoryBody(all, false), unlabelled},
        {"version", testsupport::StatusBody(0), {}},
        {"version", "", {}},
        {"version", noSecondDate, {WithoutLabel(kFirst), secondWithFirstDate}},
        {"label", noLastDescription, {kFirst}},
    };
    for (const auto& c : cases) {
        server.Enqueue(Answer({HttpResponse(c.body)}));
        EXPECT_EQ(History(0, c.type), c.expected) << c.body;
    }
    EXPECT_EQ(log.messages, Texts{});
}

TEST_F(GetHistoryTest, AnswerSplitAtAnyByteGivesTheSameVersions) {
    const std::string raw = HttpResponse(HistoryBody({kFirst, kThird}, true));
    const size_t bodyStart = raw.find("\r\n\r\n") + 4;
    for (size_t split = bodyStart + 1; split < raw.size(); ++split) {
        server.Enqueue(
            Answer({raw.substr(0, split), raw.substr(split)}, std::chrono::milliseconds(2)));
        EXPECT_EQ(History(0, "label"), (Versions{kFirst, kThird})) << "split at " << split;
    }
}

TEST_F(GetHistoryTest, RefusalShowsItsTextOnceAndLeavesTheListAlone) {
    server.Enqueue(testsupport::StatusReply(-2014, "Invalid user name or password."));
    EXPECT_EQ(History(-2014, "version", {kFirst}), Versions{kFirst});
    EXPECT_EQ(log.messages, Texts{"Invalid user name or password."});
}

TEST_F(GetHistoryTest, ReadFailureKeepsTheVersionsThatCameWhole) {
    const std::string raw = HttpResponse(HistoryBody({kFirst, kSecond}, true));
    // Ends cleanly but short: a reset could drop bytes that had arrived and were not read yet.
    server.Enqueue(Answer({raw.substr(0, raw.size() - 2)}));
    EXPECT_EQ(History(-5, "label"), Versions{kFirst});
    EXPECT_EQ(log.messages, Texts{"Couldn't read status from internet\n"});
}

class GetPropertiesTest : public TransferTest {
  protected:
    static CFileVersion Shown() {
        CFileVersion shown = kThird;
        shown.m_strFileName = "src\\a.c";
        shown.m_strDateRemoved = "earlier";
        return shown;
    }
    static std::string PropertiesBody(const CFileVersion& v, bool withLabel) {
        return testsupport::StatusBody(0) + VersionFieldsText(v, withLabel) +
               KeywordField("date_removed:", v.m_strDateRemoved) +
               KeywordField("remover:", v.m_strRemover);
    }
    CFileVersion Properties(int expectedResult, const std::string& type = "version") {
        CFileVersion record = Shown();
        EXPECT_EQ(GetProperties(context, "src\\a.c", type, &record), expectedResult);
        return record;
    }
};

TEST_F(GetPropertiesTest, WholeRecordReplacesAllButTheFileName) {
    CFileVersion removed = kSecond;
    removed.m_strDateRemoved = "2024-03-01 10:00:00 UTC";
    removed.m_strRemover = "bob";
    const std::string whole = PropertiesBody(removed, true);
    const struct {
        std::string type;
        std::string body;
        CFileVersion expected;
    } cases[] = {
        {"label", whole, removed},
        {"version", PropertiesBody(removed, false), WithoutLabel(removed)},
        // Without "remover:" the record stays as it was, and that is no failure.
        {"label", whole.substr(0, whole.rfind("--AaB03x")), Shown()},
        {"version", "", Shown()},
    };
    for (auto c : cases) {
        if (c.expected.m_strFileName.empty()) c.expected.m_strFileName = "src\\a.c";
        server.Enqueue(Answer({HttpResponse(c.body)}));
        EXPECT_EQ(Properties(0, c.type), c.expected) << c.body;
    }
    EXPECT_EQ(server.Request(0).target, "/get_properties_from_cli.php");
    EXPECT_EQ(FieldNames(server.Request(0).body),
              (Texts{"username", "password", "organization", "project", "filepath", "type"}));
    EXPECT_EQ(FieldOf(server.Request(0).body, "type"), "label");
    EXPECT_EQ(log.messages, Texts{});
}

TEST_F(GetPropertiesTest, RefusalOrBrokenAnswerLeavesTheRecord) {
    const std::string raw = HttpResponse(PropertiesBody(kFirst, false));
    server.Enqueue(testsupport::StatusReply(-2009, "'src\\a.c' is not in the repository."));
    server.Enqueue(testsupport::StopEarly({raw.substr(0, raw.size() - 1)}));
    EXPECT_EQ(Properties(-2009), Shown());
    EXPECT_EQ(Properties(-5), Shown());
    EXPECT_EQ(log.messages, (Texts{"'src\\a.c' is not in the repository.",
                                   "Couldn't read status from internet\n"}));
}

}  // namespace

}  // namespace brelmox

#include "client/tests/transfer_fixture.h"

#include "common/my_compress.h"

namespace brelmox {

std::string TransferTest::Noise(size_t length) {
    std::string bytes(length, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return bytes;
}

std::string TransferTest::RefusalRecord(int status, const std::string& error) {
    return testsupport::StatusBody(status, error) + testsupport::RecordEnd();
}

std::string TransferTest::FieldOf(const std::string& body, const std::string& name) {
    const std::string header = "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
    size_t start = body.find(header);
    if (start == std::string::npos) return "<absent>";
    start += header.size();
    return body.substr(start, body.find("\r\n--AaB03x", start) - start);
}

std::vector<std::string> TransferTest::FieldNames(const std::string& body) {
    const std::string head = "Content-Disposition: form-data; name=\"";
    std::vector<std::string> names;
    for (size_t at = body.find(head); at != std::string::npos; at = body.find(head, at)) {
        at += head.size();
        names.push_back(body.substr(at, body.find('"', at) - at));
    }
    return names;
}

std::string TransferTest::UploadedContent(const std::string& body) {
    const std::string partHead = "Content-Type: application/x-octet-stream\r\n\r\n";
    const std::string trailer = "\r\n--AaB03x--\r\n";
    size_t start = body.find(partHead);
    if (start == std::string::npos || body.size() < start + partHead.size() + trailer.size()) {
        ADD_FAILURE() << "no file part in the body";
        return "";
    }
    start += partHead.size();
    EXPECT_EQ(body.substr(body.size() - trailer.size()), trailer);
    const std::string archive =
        dir.WriteFile("uploaded.zip", body.substr(start, body.size() - trailer.size() - start));
    EXPECT_TRUE(MyCompress().DecompressFile(dir.Path("uploaded"), archive));
    return dir.ReadFile("uploaded");
}

}  // namespace brelmox

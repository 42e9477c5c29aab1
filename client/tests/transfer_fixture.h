// Building download answers and reading upload bodies for the transfer tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/tests/wire_fixture.h"

namespace brelmox {

class TransferTest : public WireTest {
  protected:
    // Bytes that do not compress, so that an archive is about as long as its content.
    static std::string Noise(size_t length);
    // A refusal record with its end line.
    static std::string RefusalRecord(int status, const std::string& error);

    // The value of a text field of a multipart body, or "<absent>".
    static std::string FieldOf(const std::string& body, const std::string& name);
    // The names of the fields of a multipart body, in order.
    static std::vector<std::string> FieldNames(const std::string& body);
    // The content of the file that travels in an upload body, unpacked.
    std::string UploadedContent(const std::string& body);

    std::string local() const { return dir.Path("local"); }
};

}  // namespace brelmox

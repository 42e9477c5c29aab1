// Reads a keyword answer of any length (a list) field by field as it arrives. Only the
// field being read is held, and a field longer than the caller allows makes the answer
// malformed, so no answer can make memory grow without bound.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "client/answer_stream.h"
#include "client/context.h"
#include "client/multipart.h"
#include "client/response.h"
#include "client/transport.h"

namespace brelmox {

class FieldReader {
  public:
    // longestValue: the most bytes a field's value may have.
    FieldReader(ServerCall& call, const COstrelContext& context, size_t longestValue);

    // The next field, read by ParseField once the whole field is in: 0, or -1003 when it
    // is another field, or none is left, or the answer broke off or lost its form. At
    // the answer's end its last line runs to the last byte; after a failed read a field
    // that came only in part is dropped.
    int Read(std::string_view keyword, std::string* value);
    FieldSource Source() {
        return
            [this](std::string_view keyword, std::string* value) { return Read(keyword, value); };
    }

    // 0 while the answer is sound; -5 after a failed read (its message shown by the
    // transport); -1003 after a field too long, with its message shown.
    int Result() const;

  private:
    // True when a whole field, or all that is left at the answer's end, is held.
    bool HoldField(size_t longestField);
    // Shows that the answer lost its form; false.
    bool Malformed();

    AnswerStream stream_;
    const COstrelContext& context_;
    size_t longestValue_;
    std::string held_;
    size_t start_ = 0;  // where the next field starts in held_
    bool malformed_ = false;
};

// The requests whose answer is a keyword answer read as it arrives: sends body to script and
// reads the status. A refusal shows its "error:" text once and gives the status, with
// readFields never called; otherwise readFields reads the operation's fields and the result is
// the reader's (0, -5 or -1003), or the transport's code when the request failed.
using FieldsHandler = std::function<void(FieldReader& answer)>;
int PostFieldRequest(COstrelContext& context, const std::string& script, MultipartBody& body,
                     const char* failureMessage, size_t longestValue,
                     const FieldsHandler& readFields);

}  // namespace brelmox

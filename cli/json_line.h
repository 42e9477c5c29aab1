// One JSON object on one line of standard output (JSON Lines), for scripts and editors.
#pragma once

#include <memory>
#include <optional>
#include <string>

class JsonLine {
  public:
    JsonLine();
    ~JsonLine();
    JsonLine(const JsonLine&) = delete;
    JsonLine& operator=(const JsonLine&) = delete;

    // Fields come out in the order they were added.
    JsonLine& Text(const char* key, const std::string& value);
    // null when there is no number.
    JsonLine& Number(const char* key, std::optional<int> value);

    // Every byte comes out as valid JSON: control characters escaped, bytes that are not
    // UTF-8 replaced by U+FFFD.
    void Print() const;

  private:
    struct Object;
    std::unique_ptr<Object> object_;
};

// The statement interface the repository's queries are written against, once for every
// database. A query is one text with $1, $2... for its values; each database renders that
// text as its own SQL needs, binds the values in its own types (texts and blobs as bytes)
// and yields the rows one at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace server::sql {

// Bytes a database that tells them apart keeps as a BLOB rather than as text.
struct Blob {
    std::string_view bytes;
};
// A NULL where an integer goes.
struct Null {};

using Value = std::variant<std::int64_t, std::string_view, Blob, Null>;

inline Value ToValue(std::int64_t value) {
    return value;
}
inline Value ToValue(int value) {
    return static_cast<std::int64_t>(value);
}
inline Value ToValue(bool value) {
    return static_cast<std::int64_t>(value ? 1 : 0);
}
inline Value ToValue(std::string_view text) {
    return text;
}
inline Value ToValue(const std::string& text) {
    return std::string_view(text);
}
inline Value ToValue(const char* text) {
    return std::string_view(text);
}
inline Value ToValue(Blob blob) {
    return blob;
}
inline Value ToValue(Null null) {
    return null;
}

// The rows of one statement, read from the first.
class Rows {
  public:
    virtual ~Rows() = default;
    // Moves to the next row; false after the last.
    virtual bool Next() = 0;
    // A NULL reads as 0 and as "".
    virtual std::int64_t Int(int column) const = 0;
    virtual std::string Text(int column) const = 0;
    virtual bool IsNull(int column) const = 0;
};

// One connection inside the caller's transaction. The values of a call need only live until
// it returns.
class Session {
  public:
    virtual ~Session() = default;

    // Runs sql.
    template <typename... Args>
    std::unique_ptr<Rows> Fetch(std::string_view sql, const Args&... args) {
        const std::array<Value, sizeof...(Args)> values{ToValue(args)...};
        return Perform(sql, values, false);
    }
    // Runs sql for rows that may be many and are read while other statements run: the
    // database hands them over in batches, never all at once. Valid while the transaction
    // lasts.
    template <typename... Args>
    std::unique_ptr<Rows> Stream(std::string_view sql, const Args&... args) {
        const std::array<Value, sizeof...(Args)> values{ToValue(args)...};
        return Perform(sql, values, true);
    }

    // Runs sql with values made at run time.
    std::unique_ptr<Rows> FetchList(std::string_view sql, std::span<const Value> values) {
        return Perform(sql, values, false);
    }

    // The expression of files f that orders their folders in tree order: component by
    // component, as if '/' sorted below every byte a name may hold.
    virtual std::string_view TreeOrder() const = 0;

  protected:
    virtual std::unique_ptr<Rows> Perform(std::string_view sql, std::span<const Value> values,
                                          bool stream) = 0;
};

}  // namespace server::sql

#include "cli/json_line.h"

#include <iostream>
#include <nlohmann/json.hpp>

struct JsonLine::Object {
    nlohmann::ordered_json value = nlohmann::ordered_json::object();
};

JsonLine::JsonLine() : object_(std::make_unique<Object>()) {}

JsonLine::~JsonLine() = default;

JsonLine& JsonLine::Text(const char* key, const std::string& value) {
    object_->value[key] = value;
    return *this;
}

JsonLine& JsonLine::Number(const char* key, std::optional<int> value) {
    object_->value[key] = value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
    return *this;
}

void JsonLine::Print() const {
    // Texts are the server's bytes, which need not be UTF-8; the default handler would throw.
    std::cout << object_->value.dump(-1, ' ', false,
                                     nlohmann::ordered_json::error_handler_t::replace)
              << '\n';
}

// Reads JSON Lines output back with a real parser, so that escaping is judged by JSON's
// rules rather than by the code under test.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

// Every line of text parsed as one JSON value; a line that is not JSON, or text that does not
// end in a line feed, is a test failure.
inline std::vector<nlohmann::json> ParsedLines(const std::string& text) {
    std::vector<nlohmann::json> values;
    EXPECT_TRUE(text.empty() || text.back() == '\n') << "unfinished last line: " << text;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        try {
            values.push_back(nlohmann::json::parse(line));
        } catch (const nlohmann::json::parse_error& error) {
            ADD_FAILURE() << "not JSON: " << line << "\n" << error.what();
        }
    }
    return values;
}

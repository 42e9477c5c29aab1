// Values as brelmox-reg reads them from the command line and shows them.
#pragma once

#include <string>

#include "platform/registry_file.h"
#include "reg/reg_tool.h"

// REG_SZ takes the text as it is, REG_BINARY pairs of hex digits ("" for no bytes),
// REG_DWORD a decimal number or hex after 0x. False after a message otherwise.
bool ParseRegData(const std::string& type, const std::string& data, platform::RegValue* value);

const char* TypeName(platform::RegType type);

// The text, the bytes as hex digits (01FF) or the number in hex (0x2a).
std::string ShownData(const platform::RegValue& value);

#include "platform/http_target.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/http_client.h"
#include "platform/registry_text.h"

namespace platform {
namespace {

bool IsHostCharacter(unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c >= 0x80;
}

bool ParsePort(const std::string& text, int* port) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    *port = std::atoi(text.c_str());
    return *port > 0 && *port <= 65535;
}

}  // namespace

std::string EncodeRequestTarget(const std::string& objectName) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : objectName) {
        if (std::isalnum(c) || std::strchr("/-._~", c) != nullptr) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool ParseServerAddress(const std::string& address, bool secure, HttpTarget* target) {
    target->secure = secure;
    target->port = 0;
    std::string portText;
    if (!address.empty() && address[0] == '[') {
        size_t close = address.find(']');
        if (close == std::string::npos || close == 1) return false;
        target->host = address.substr(0, close + 1);
        std::string rest = address.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') return false;
            portText = rest.substr(1);
            if (!ParsePort(portText, &target->port)) return false;
        }
        for (char c : target->host.substr(1, close - 1)) {
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
        }
        return true;
    }
    size_t colon = address.find(':');
    target->host = address.substr(0, colon);
    if (colon != std::string::npos && !ParsePort(address.substr(colon + 1), &target->port)) {
        return false;
    }
    if (target->host.empty()) return false;
    for (unsigned char c : target->host) {
        if (!IsHostCharacter(c)) return false;
    }
    return true;
}

bool HasWebScheme(const std::string& address) {
    for (const std::string scheme : {"http://", "https://"}) {
        if (EqualsIgnoringCase(address.substr(0, scheme.size()), scheme)) return true;
    }
    return false;
}

}  // namespace platform

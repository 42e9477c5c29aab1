// The texts brelmox-reg shows, as printf formats where they take words.
#pragma once

namespace reg_text {

inline constexpr char kProgramName[] = "brelmox-reg";
inline constexpr char kUsage[] =
    "Usage:\n"
    "  brelmox-reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_BINARY|REG_DWORD] [/d DATA] [/f]\n"
    "  brelmox-reg query KEY [/v NAME | /ve]\n"
    "  brelmox-reg delete KEY [/v NAME | /ve] /f\n"
    "  brelmox-reg import FILE\n"
    "  brelmox-reg export KEY FILE\n"
    "KEY is \"HKCU\\SOFTWARE\\...\" or \"HKEY_CURRENT_USER\\SOFTWARE\\...\", quoted so that the\n"
    "shell keeps its backslashes; /ve names the default value; REG_BINARY data is hex digits\n"
    "(/d 01), REG_DWORD data a number (/d 42, /d 0x2a).\n";
inline constexpr char kErrorPrefix[] = "brelmox-reg: ";
inline constexpr char kUnknownCommand[] = "unknown command '%s'";
inline constexpr char kWrongOperands[] = "wrong number of arguments for '%s'";
inline constexpr char kSwitchNotAllowed[] = "'%s' does not go with '%s'";
inline constexpr char kSwitchTwice[] = "'%s' is given twice";
inline constexpr char kSwitchNeedsWord[] = "'%s' needs a word after it";
inline constexpr char kBadKey[] = "'%s' is not a key of HKEY_CURRENT_USER";
inline constexpr char kKeyWithoutRoot[] =
    "'%s' does not start with HKCU\\ or HKEY_CURRENT_USER\\: quote the key, e.g. "
    "\"HKCU\\SOFTWARE\\Farrowdyne\\Brelmox\\Connection\", so that the shell keeps its "
    "backslashes";
inline constexpr char kOutsideProduct[] =
    "warning: %s is outside HKEY_CURRENT_USER\\%s, where Brelmox reads its settings; "
    "stored all the same";
inline constexpr char kURLWithScheme[] =
    "'%s' holds a scheme: store the host name (and :PORT) alone, e.g. /d 127.0.0.1:8080, "
    "and choose HTTPS with the value \"Secure\" (/v Secure /t REG_BINARY /d 01)";
inline constexpr char kURLWithSchemeInFile[] =
    "'%s' in %s holds a scheme: write the host name (and :PORT) alone, e.g. "
    "\"URL\"=\"127.0.0.1:8080\", and choose HTTPS with the value \"Secure\" "
    "(\"Secure\"=hex:01); nothing was imported";
inline constexpr char kProductKey[] = "SOFTWARE\\Farrowdyne\\Brelmox";
inline constexpr char kURLName[] = "URL";
inline constexpr char kNeedsName[] = "add needs /v NAME (or /ve) with /d";
inline constexpr char kNeedsData[] = "add needs /d DATA with /v";
inline constexpr char kNeedsForce[] = "delete asks no question: give /f to delete";
inline constexpr char kBadType[] = "unknown type '%s' (REG_SZ, REG_BINARY or REG_DWORD)";
inline constexpr char kBadHex[] = "'%s' is not binary data: give pairs of hex digits, e.g. 01";
inline constexpr char kBadDword[] = "'%s' is not a 32-bit number (decimal, or hex after 0x)";
inline constexpr char kLineBreak[] = "a name or text cannot hold a line break";
inline constexpr char kKeyMissing[] = "key %s not found";
inline constexpr char kValueMissing[] = "value '%s' not found in %s";
inline constexpr char kKeyAdded[] = "Key %s is in place.";
inline constexpr char kValueSet[] = "Value '%s' set in %s.";
inline constexpr char kKeyDeleted[] = "Key %s deleted.";
inline constexpr char kValueDeleted[] = "Value '%s' deleted from %s.";
inline constexpr char kImported[] = "Imported '%s'.";
inline constexpr char kExported[] = "Exported %s to '%s'.";
inline constexpr char kRootName[] = "HKEY_CURRENT_USER\\";
inline constexpr char kDefaultName[] = "(Default)";

}  // namespace reg_text

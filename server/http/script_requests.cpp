#include "server/http/script_requests.h"

#include <charconv>
#include <type_traits>

#include "server/scripts/names.h"
#include "server/statuses.h"

namespace server {
namespace {

constexpr int kLargestZoneOffset = 24 * 60;

// Runs one field's decoding, keeping a refusal for the script to meet.
template <typename Decode>
auto Capture(Decode decode) {
    using Value = std::remove_cvref_t<decltype(decode())>;
    try {
        return Field<Value>(decode());
    } catch (const Refusal& refusal) {
        return Field<Value>(refusal);
    }
}

Field<std::string> Text(const Form& form, const char* name) {
    return Capture([&] { return form.Required(name); });
}

Field<bool> Flag(const Form& form, const char* name) {
    return Capture([&] { return form.Flag(name); });
}

Field<Credentials> CredentialsOf(const Form& form) {
    return Capture([&] {
        Credentials credentials;
        credentials.userName = form.Required("username");
        credentials.password = form.Required("password");
        credentials.organization = form.Required("organization");
        credentials.clientAddress = form.ClientAddress();
        return credentials;
    });
}

CallerFields CallerOf(const Form& form) {
    return {CredentialsOf(form), Text(form, "project")};
}

// A name the answers could not carry is refused: an empty one with emptyText, one with a
// control character as an invalid value of the field.
Field<std::string> LineSafeName(const Form& form, const char* field, const char* emptyText) {
    return Capture([&] {
        const std::string& value = form.Required(field);
        if (value.empty()) throw Refusal(own_status::kInvalidValue, emptyText);
        if (HasControlCharacter(value)) {
            throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, value, field);
        }
        return value;
    });
}

// An optional description, refused when over kDescriptionLimit.
Field<std::string> Description(const Form& form, const char* field) {
    return Capture([&] {
        std::string description = form.Optional(field);
        if (description.size() > kDescriptionLimit) {
            throw Refusal::Of(own_status::kRequestTooLarge, text::kDescriptionTooLong,
                              std::to_string(kDescriptionLimit));
        }
        return description;
    });
}

// "label" and "version_no"; a version number that is not a positive number is refused.
Field<VersionWanted> VersionWantedOf(const Form& form) {
    return Capture([&] {
        VersionWanted wanted;
        wanted.label = form.Optional("label");
        const std::string text = form.Optional("version_no");
        if (text.empty()) return wanted;
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number <= 0) {
            throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, text, "version_no");
        }
        wanted.number = number;
        return wanted;
    });
}

Field<bool> WithLabels(const Form& form) {
    return Capture([&] {
        const std::string& type = form.Required("type");
        if (type != "version" && type != "label") {
            throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, type, "type");
        }
        return type == "label";
    });
}

Field<int> ZoneOffset(const Form& form) {
    return Capture([&] {
        const std::string& text = form.Required("timezone");
        int minutes = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), minutes);
        if (error != std::errc() || end != text.data() + text.size() ||
            minutes < -kLargestZoneOffset || minutes > kLargestZoneOffset) {
            throw Refusal::Of(own_status::kInvalidValue, text::kInvalidValue, text, "timezone");
        }
        return minutes;
    });
}

// The paths of a multi-file status, sent joined by '|'.
Field<std::vector<std::string>> FilePaths(const Form& form) {
    return Capture([&] {
        std::vector<std::string> paths(1);
        for (char c : form.Required("filepaths")) {
            if (c == '|') {
                paths.emplace_back();
            } else {
                paths.back() += c;
            }
        }
        return paths;
    });
}

Field<Upload> UploadOf(Form& form) {
    std::optional<Upload>& upload = form.File();
    if (!upload) return Field<Upload>(Refusal(own_status::kMalformedRequest, text::kMissingUpload));
    return Field<Upload>(std::move(*upload));
}

FileRequest FileRequestOf(const Form& form) {
    return {CallerOf(form), WithLabels(form), Text(form, "filepath")};
}

SelectionRequest SelectionOf(const Form& form) {
    return {CallerOf(form), Flag(form, "recurse"), Text(form, "viewpath")};
}

}  // namespace

const std::vector<Script>& AllScripts() {
    static const std::vector<Script> scripts = {
        {"validate_user_from_cli.php", false,
         [](ServerState& state, Form& form) { return ValidateUser(state, {CredentialsOf(form)}); }},
        {"validate_project_from_cli.php", false,
         [](ServerState& state, Form& form) {
             return ValidateProject(state, {Text(form, "organization"), Text(form, "project")});
         }},
        {"create_project_from_cli.php", false,
         [](ServerState& state, Form& form) {
             return CreateProject(
                 state,
                 {CredentialsOf(form), LineSafeName(form, "project_name", text::kProjectNeedsName),
                  Description(form, "project_description")});
         }},
        {"get_project_list_from_cli.php", false,
         [](ServerState& state, Form& form) {
             return GetProjectList(state, {CredentialsOf(form)});
         }},
        {"add_files_from_cli.php", false,
         [](ServerState& state, Form& form) {
             AddFilesRequest request{UploadOf(form), CallerOf(form), Flag(form, "checkin"),
                                     Text(form, "viewpath"), Description(form, "description")};
             return AddFiles(state, request);
         }},
        {"get_files_from_cli.php", true,
         [](ServerState& state, Form& form) {
             return GetFiles(state, {CallerOf(form), Flag(form, "recurse"), Flag(form, "checkout"),
                                     Text(form, "viewpath"), VersionWantedOf(form)});
         }},
        {"uncheckout_from_cli.php", true,
         [](ServerState& state, Form& form) { return Uncheckout(state, SelectionOf(form)); }},
        {"remove_files_from_cli.php", true,
         [](ServerState& state, Form& form) { return RemoveFiles(state, SelectionOf(form)); }},
        {"create_label_cli.php", false,
         [](ServerState& state, Form& form) {
             return CreateLabel(state,
                                {CallerOf(form), LineSafeName(form, "label", text::kLabelNeedsName),
                                 Description(form, "description")});
         }},
        {"get_history_from_cli.php", false,
         [](ServerState& state, Form& form) {
             return GetHistory(state, {FileRequestOf(form), ZoneOffset(form)});
         }},
        {"get_properties_from_cli.php", false,
         [](ServerState& state, Form& form) { return GetProperties(state, FileRequestOf(form)); }},
        {"query_info_multiple_from_cli_a.php", false,
         [](ServerState& state, Form& form) {
             return QueryInfoMultiple(state, {CallerOf(form), FilePaths(form)});
         }},
    };
    return scripts;
}

FileGate UploadGate(ServerState& state) {
    return [&state](const Form& fields) {
        RequireUploader(state, CallerOf(fields), Description(fields, "description"));
    };
}

}  // namespace server

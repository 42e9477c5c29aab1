// The host's side of the provider's dialogs: on Linux a Qt application when there is a
// display, as an IDE is, and the scripted user of --answer.
#pragma once

#include <memory>
#include <string>

namespace scchost {

// What the scripted user does. An empty answer leaves the dialogs to a person.
struct ScriptedAnswers {
    std::string answer;  // "ok" or "cancel": the button pressed in every dialog
    // With "ok": this version is first fetched from a history dialog, into the folder the
    // picker offers, before the dialog is closed.
    std::string getVersion;
    // Cancel is pressed in the provider's progress window the first time it is seen
    // visible during each call of this name (e.g. "add"), as a person stopping a long
    // request would. Other calls' windows (a slow log-in's) are left alone.
    std::string cancelProgressIn;
};

// What the scripted user prints when it cancels the progress window, on every platform.
inline constexpr char kProgressCancelled[] = "dialog: CProgressTracker Cancel";

class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // A new call begins (its first word): the scripted user's count of answered dialogs
    // starts again.
    virtual void StartCall(const std::string& call) = 0;
};

// The arguments are the program's own, which a Qt application keeps.
std::unique_ptr<DialogHost> StartDialogHost(int& argc, char** argv, const ScriptedAnswers& answers);

}  // namespace scchost

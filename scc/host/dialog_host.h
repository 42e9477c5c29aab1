// The host's side of the provider's dialogs: on Linux a Qt application when there is a
// display, as an IDE is, and the scripted user of --answer.
#pragma once

#include <memory>
#include <string>

namespace scchost {

class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // A new call begins: the scripted user's count of answered dialogs starts again.
    virtual void StartCall() = 0;
};

// answer is "ok" or "cancel" for the scripted user, "" to leave the dialogs to a person.
// The arguments are the program's own, which a Qt application keeps.
std::unique_ptr<DialogHost> StartDialogHost(int& argc, char** argv, const std::string& answer);

}  // namespace scchost

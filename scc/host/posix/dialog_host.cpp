#include "scc/host/dialog_host.h"

#include <QApplication>
#include <cstdlib>

#include "scc/host/dialog_answerer.h"

namespace scchost {

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// The provider then uses this application object.
class QtDialogHost : public DialogHost {
  public:
    QtDialogHost(int& argc, char** argv, const std::string& answer) {
        if (!HasDisplay()) return;
        application_ = std::make_unique<QApplication>(argc, argv);
        if (!answer.empty()) answerer_ = std::make_unique<DialogAnswerer>(answer == "ok");
    }

    void StartCall() override {
        if (answerer_) answerer_->StartCall();
    }

  private:
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<DialogAnswerer> answerer_;
};

}  // namespace

std::unique_ptr<DialogHost> StartDialogHost(int& argc, char** argv, const std::string& answer) {
    return std::make_unique<QtDialogHost>(argc, argv, answer);
}

}  // namespace scchost

#include "scc/host/dialog_host.h"

#include <QApplication>
#include "scc/dialogs/display_check.h"
#include "scc/host/dialog_answerer.h"

namespace scchost {

namespace {

// The provider then uses this application object.
class QtDialogHost : public DialogHost {
  public:
    QtDialogHost(int& argc, char** argv, const ScriptedAnswers& answers) {
        if (!brelmoxscc::DisplayNamed()) return;
        application_ = std::make_unique<QApplication>(argc, argv);
        if (!answers.answer.empty()) answerer_ = std::make_unique<DialogAnswerer>(answers);
    }

    void StartCall(const std::string& call) override {
        if (answerer_) answerer_->StartCall(call);
    }

  private:
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<DialogAnswerer> answerer_;
};

}  // namespace

std::unique_ptr<DialogHost> StartDialogHost(int& argc, char** argv,
                                            const ScriptedAnswers& answers) {
    return std::make_unique<QtDialogHost>(argc, argv, answers);
}

}  // namespace scchost

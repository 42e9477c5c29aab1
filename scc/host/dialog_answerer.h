// Answers the provider's dialogs as a scripted user would, so that a session can run
// without a person: message boxes are printed and closed, every other dialog gets the
// chosen button.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "scc/host/dialog_host.h"

namespace scchost {

class DialogAnswerer : public QObject {
  public:
    // "ok": OK in every dialog (its values as the provider filled them), else Cancel.
    explicit DialogAnswerer(const ScriptedAnswers& answers);

    // A new call begins: its count of answered dialogs starts again.
    void StartCall(const std::string& call) {
        answeredThisCall_ = 0;
        gotThisCall_ = false;
        cancelThisCall_ = !cancelProgressIn_.empty() && call == cancelProgressIn_;
    }

  private:
    void AnswerOpenDialog();
    // Presses Cancel in the provider's progress window, the first time it is visible;
    // false when there is nothing to press.
    bool CancelProgress();
    // Selects the version in a history dialog and presses Get; false when it is not listed.
    bool GetVersion(QDialog* history);
    // Runs answer on window from the event loop, once; the window is not answered again
    // until then.
    void AnswerLater(QWidget* window, std::function<void()> answer);

    bool accept_;
    std::string getVersion_;
    std::string cancelProgressIn_;
    bool cancelThisCall_ = false;
    int answeredThisCall_ = 0;
    bool gotThisCall_ = false;
    QTimer timer_;
    QPointer<QWidget> answering_;
};

}  // namespace scchost

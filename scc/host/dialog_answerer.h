// Answers the provider's dialogs as a scripted user would, so that a session can run
// without a person: message boxes are printed and closed, every other dialog gets the
// chosen button.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace scchost {

class DialogAnswerer : public QObject {
  public:
    // accept: OK in every dialog (its values as the provider filled them), else Cancel.
    explicit DialogAnswerer(bool accept);

    // A new call begins: its count of answered dialogs starts again.
    void StartCall() { answeredThisCall_ = 0; }

  private:
    void AnswerOpenDialog();
    // Runs answer on window from the event loop, once; the window is not answered again
    // until then.
    void AnswerLater(QWidget* window, std::function<void()> answer);

    bool accept_;
    int answeredThisCall_ = 0;
    QTimer timer_;
    QPointer<QWidget> answering_;
};

}  // namespace scchost

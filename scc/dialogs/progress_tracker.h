// CProgressTracker: the modeless window that follows a long add, file by file.
#pragma once

#include <QDialog>

#include "scc/provider_ui.h"

namespace brelmoxscc {

class CProgressTracker : public QDialog, public ProgressWindow {
  public:
    static constexpr int kIdAction = 1004;
    static constexpr int kIdFile = 1005;

    explicit CProgressTracker(QWidget* parent = nullptr);

    // Shows the window centred on its screen and lets it paint.
    void Open();

    void SetAction(const std::string& text) override;
    void SetFile(const std::string& path) override;
    bool CancelRequested() override { return cancelRequested_; }

    // Cancel, Escape and closing the window: the window goes away and the caller, which
    // asks CancelRequested between files, stops before the next one.
    void reject() override;

  private:
    void SetStaticText(int id, const std::string& text);

    bool cancelRequested_ = false;
};

}  // namespace brelmoxscc

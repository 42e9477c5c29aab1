// The provider's dialogs on Qt Widgets, inside the host's process.
#pragma once

#include <memory>

#include "scc/provider_ui.h"

namespace brelmoxscc {

// Uses the host's QApplication, or creates one (once per process) when a display is named
// by DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM. Without either, messages go to standard
// error one line each, every dialog counts as cancelled (the history and properties are not
// shown at all) and the progress window shows nothing.
std::unique_ptr<ProviderUi> MakeQtProviderUi();

}  // namespace brelmoxscc

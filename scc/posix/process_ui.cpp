#include <memory>

#include "scc/dialogs/qt_provider_ui.h"
#include "scc/export_guard.h"

namespace brelmoxscc {

ProviderUi& ProcessUi() {
    // Made on first use, thread-safely; Qt starts only when a dialog is wanted.
    static const std::unique_ptr<ProviderUi> ui = MakeQtProviderUi();
    return *ui;
}

}  // namespace brelmoxscc

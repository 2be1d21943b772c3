#include "shell/FolderShortcutMonitor.h"

#include "platform/gui/KeyDownMonitor.h"
#include "state/BrimlarkViewModel.h"
#include "state/FolderShortcut.h"

#include <QPointer>

namespace brimlark {

void installFolderShortcutMonitor(BrimlarkViewModel &viewModel)
{
    // The shortcut goes with the view model.
    QPointer<FolderShortcut> self(new FolderShortcut(viewModel, &viewModel));
    KeyDownMonitor::install({ [self](const KeyDownEvent &e) { return self && self->claimsKeyDown(e); },
        [self](const KeyDownEvent &e) { return self && self->handleKeyDown(e); } });
}

} // namespace brimlark

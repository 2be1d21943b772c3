#include "shell/FolderShortcutMonitor.h"

#include "platform/KeyDownMonitor.h"
#include "state/BrimlarkViewModel.h"

#include <QPointer>

namespace brimlark {

void installFolderShortcutMonitor(BrimlarkViewModel &viewModel)
{
    QPointer<BrimlarkViewModel> self(&viewModel);
    KeyDownMonitor::install({ [self](const KeyDownEvent &e) { return self && self->claimsKeyDown(e); },
        [self](const KeyDownEvent &e) { return self && self->handleKeyDown(e); } });
}

} // namespace brimlark

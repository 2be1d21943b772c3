#pragma once

namespace brimlark {

class BrimlarkViewModel;

// Installs the application-wide key-down monitor that hands the folder
// shortcut (Command+letter) to the view model before menus see the key. It
// stays for the rest of the process; once the view model is gone it passes
// every key on. The view model itself stays free of GUI events.
void installFolderShortcutMonitor(BrimlarkViewModel &viewModel);

} // namespace brimlark

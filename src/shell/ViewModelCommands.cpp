#include "shell/ViewModelCommands.h"

#include "state/BrimlarkViewModel.h"

namespace brimlark {

void ViewModelCommands::setLibrarySelection(const QString &caseName)
{
    using Kind = SidebarSelection::Kind;
    static const QHash<QString, Kind> kinds{{QStringLiteral("allApps"), Kind::allApps},
                                            {QStringLiteral("newlyAdded"), Kind::newlyAdded},
                                            {QStringLiteral("recents"), Kind::recents},
                                            {QStringLiteral("favorites"), Kind::favorites}};
    const auto it = kinds.constFind(caseName);
    if (it != kinds.constEnd()) {
        m_viewModel.selectSection(*it);
    }
}

} // namespace brimlark

#pragma once

#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "state/BrimlarkViewModel.h"

#include <QtQml/qqml.h>

// The objects the program hands its views, named for QML here so that the
// state and model libraries stay free of QML. A view declares the type it
// needs; a wrong object is refused where it is handed over.
namespace brimlark::qmlforeign {

struct BrimlarkViewModelType
{
    Q_GADGET
    QML_FOREIGN(brimlark::BrimlarkViewModel)
    QML_NAMED_ELEMENT(BrimlarkViewModel)
    QML_UNCREATABLE("The program makes the view model")
};

struct HiddenItemsLockType
{
    Q_GADGET
    QML_FOREIGN(brimlark::HiddenItemsLock)
    QML_NAMED_ELEMENT(HiddenItemsLock)
    QML_UNCREATABLE("The view model owns the lock")
};

struct AppFinderType
{
    Q_GADGET
    QML_FOREIGN(brimlark::AppFinder)
    QML_NAMED_ELEMENT(AppFinder)
    QML_UNCREATABLE("The program makes the catalog")
};

struct WorkspaceManagerType
{
    Q_GADGET
    QML_FOREIGN(brimlark::WorkspaceManager)
    QML_NAMED_ELEMENT(WorkspaceManager)
    QML_UNCREATABLE("The program makes the workspace manager")
};

// The values views show: an application, a folder, a workspace. A property
// of one of these types takes only that type.
struct AppItemType
{
    Q_GADGET
    QML_FOREIGN(brimlark::AppItem)
    QML_VALUE_TYPE(appItem)
};

struct AppFolderType
{
    Q_GADGET
    QML_FOREIGN(brimlark::AppFolder)
    QML_VALUE_TYPE(appFolder)
};

struct WorkspaceType
{
    Q_GADGET
    QML_FOREIGN(brimlark::Workspace)
    QML_VALUE_TYPE(workspace)
};

} // namespace brimlark::qmlforeign

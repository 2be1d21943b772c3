#pragma once

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

struct WorkspaceManagerType
{
    Q_GADGET
    QML_FOREIGN(brimlark::WorkspaceManager)
    QML_NAMED_ELEMENT(WorkspaceManager)
    QML_UNCREATABLE("The program makes the workspace manager")
};

} // namespace brimlark::qmlforeign

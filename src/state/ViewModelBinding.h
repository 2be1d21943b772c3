#pragma once

#include "model/AppFinder.h"

#include <QPointer>

namespace brimlark {

// Points a view's controller at an object its view hands it (the view
// model, the lock): every connection from the old object to the controller
// goes, and the new one is stored for the controller to connect to. False
// when it is the one already held (nothing to do).
template <typename T> bool rebindHandedObject(QObject &controller, QPointer<T> &held, T *next)
{
    if (held == next) {
        return false;
    }
    if (held) {
        QObject::disconnect(held, nullptr, &controller, nullptr);
    }
    held = next;
    return true;
}

// Has `owner` brought up to date whenever the catalog's folders change,
// hidden ones included; nothing without a catalog.
template <typename Owner> void followCatalogFolders(AppFinder *catalog, Owner *owner, void (Owner::*update)())
{
    if (catalog) {
        QObject::connect(catalog, &AppFinder::foldersChanged, owner, update);
        QObject::connect(catalog, &AppFinder::hiddenFolderIDsChanged, owner, update);
    }
}

} // namespace brimlark

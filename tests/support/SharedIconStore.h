#pragma once

#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"

#include <memory>

namespace brimlark::test {

// The process-wide icon store the grid's image provider and icon loaders
// read, made over a workspace service and installed at first use (on the
// GUI thread), as the program does at start. Header-only: only the tests
// and benchmarks that show views link the GUI platform library.
inline AppIconStore &sharedIconStore()
{
    static AppWorkspace workspace;
    static const std::unique_ptr<AppIconStore> store = [] {
        auto made = AppIconStore::overWorkspace(workspace);
        AppIconStore::installShared(made.get());
        return made;
    }();
    return *store;
}

} // namespace brimlark::test

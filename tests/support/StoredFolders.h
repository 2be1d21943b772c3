#pragma once

#include "model/AppFinder.h"
#include "model/AppFolder.h"
#include "model/StoredJson.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"

namespace brimlark::test {

// Writes folders as the current workspace stores them and has the catalog
// read them back, for states the editing operations never make (loops,
// orphans, members in an older spelling).
inline void storeFolders(Defaults &defaults, const WorkspaceManager &workspaces, AppFinder &finder,
    const QList<AppFolder> &folders)
{
    auto json = nlohmann::ordered_json::array();
    for (const auto &f : folders) {
        json.push_back(f.toJson());
    }
    StoredJson::write(defaults, workspaces.perWorkspaceKey(AppFinder::foldersBase), json);
    finder.reloadWorkspaceData();
}

} // namespace brimlark::test

#pragma once

#include <QLoggingCategory>

namespace brimlark {

// The log category of the catalog, the workspaces and their stores.
Q_DECLARE_LOGGING_CATEGORY(lcModel)

} // namespace brimlark

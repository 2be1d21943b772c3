#pragma once

#include "uninstaller/AppResidualFile.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace brimlark {

class AdminRunner;
class Trash;

enum class DeletionMethod {
    trash,
    permanent,
};

struct RemovalResult
{
    int removedCount = 0;
    qint64 freedBytes = 0;
    QStringList errors;
    // As the file system spells them (AppResidualFile::fileSystemPath).
    QSet<QByteArray> removedPaths;
};

// Removes a snapshot of selected findings, entry by entry, on the calling
// (worker) thread: in process first where the user may, then through the
// administrator helper. Blocking; never call it on the GUI thread.
class ResidualRemoval
{
public:
    struct Context
    {
        QString home;
        QString systemRoot;
        bool isSystemApp = false;
        AdminRunner *adminRunner = nullptr;
        Trash *trash = nullptr;
    };

    static RemovalResult run(
        const Context &context, DeletionMethod method, const QList<AppResidualFile> &selection);

    // Nothing under the system's own folder, and not the bundle of a system application.
    static bool isProtected(const Context &context, const AppResidualFile &entry);
};

} // namespace brimlark

#pragma once

#include "uninstaller/ResidualCategory.h"

#include <QString>
#include <QUuid>
#include <QtGlobal>

namespace brimlark {

// One finding of a residual scan. Identity is the id alone: a stale copy of an
// entry still names it.
struct AppResidualFile
{
    QUuid id;
    QString path;
    ResidualCategory category = ResidualCategory::other;
    QString displayName;
    qint64 sizeBytes = 0;
    bool isSelected = false;
    bool isUserDeletable = false;
    // A folder (not following a link): shown with a folder icon.
    bool isDirectory = false;

    friend bool operator==(const AppResidualFile &a, const AppResidualFile &b) { return a.id == b.id; }
};

inline size_t qHash(const AppResidualFile &file, size_t seed = 0)
{
    return qHash(file.id, seed);
}

} // namespace brimlark

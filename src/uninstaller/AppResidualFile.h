#pragma once

#include "uninstaller/ResidualCategory.h"

#include <QByteArray>
#include <QFile>
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
    // The path as the file system spells it. A name that is not UTF-8 has no
    // exact text form: path then only reads like it, and this is what is
    // removed. Empty means path's own encoding.
    QByteArray nativePath {};

    QByteArray fileSystemPath() const { return nativePath.isEmpty() ? QFile::encodeName(path) : nativePath; }

    friend bool operator==(const AppResidualFile &a, const AppResidualFile &b) { return a.id == b.id; }
};

inline size_t qHash(const AppResidualFile &file, size_t seed = 0)
{
    return qHash(file.id, seed);
}

} // namespace brimlark

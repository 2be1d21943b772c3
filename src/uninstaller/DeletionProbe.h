#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace brimlark {

// Whether the current user may remove the item without administrator rights:
// its folder is writable and searchable, and a sticky folder also needs the
// user to own the item or the folder. Answers for the effective user.
bool isDeletableFile(const QByteArray &path);
inline bool isDeletableFile(const QString &path)
{
    return isDeletableFile(QFile::encodeName(path));
}

} // namespace brimlark

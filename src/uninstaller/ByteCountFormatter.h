#pragma once

#include <QString>
#include <QtGlobal>

namespace brimlark {

// Byte counts the way the desktop presents file sizes: decimal units of 1000,
// whole kilobytes, one decimal for megabytes, two above; "Zero KB" for nothing.
QString formatFileByteCount(qint64 bytes);

} // namespace brimlark

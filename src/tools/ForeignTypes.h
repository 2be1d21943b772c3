#pragma once

#include "platform/gui/QuickRulerWindow.h"

#include <QtQml/qqml.h>

// Platform objects the tools' views are handed, named for QML here so that
// the platform layer stays free of QML.
namespace brimlark::qmlforeign {

// The ruler's window, which RulerView moves, resizes and closes.
struct QuickRulerWindowType
{
    Q_GADGET
    QML_FOREIGN(brimlark::QuickRulerWindow)
    QML_NAMED_ELEMENT(QuickRulerWindow)
    QML_UNCREATABLE("The ruler's manager makes its window")
};

} // namespace brimlark::qmlforeign

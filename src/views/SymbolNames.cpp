#include "views/SymbolNames.h"

#include "platform/gui/Symbols.h"

namespace brimlark {

bool SymbolNames::exists(const QString &name) const
{
    return Symbols::exists(name);
}

} // namespace brimlark

#include "grid/GridColumns.h"

#include <algorithm>
#include <cmath>

namespace brimlark {

double GridColumnLayout::columnWidth(double available) const
{
    const int n = std::max(count, 1);
    const double share = (available - spacing * (n - 1)) / n;
    return std::max(minimum, std::min(share, maximum));
}

double GridColumnLayout::contentWidth(double available) const
{
    const int n = std::max(count, 1);
    return columnWidth(available) * n + spacing * (n - 1);
}

GridColumns GridColumns::forWidth(double paneWidth)
{
    const bool large = paneWidth > 1000;
    const double available = paneWidth - 2 * contentPadding;

    // A negative or unmeasured width still gives one column of each kind.
    const auto countFor = [available](double divisor) {
        const double quotient = std::trunc(available / divisor);
        return quotient >= 1 && std::isfinite(quotient) ? int(std::min(quotient, 10000.0)) : 1;
    };

    GridColumns result;

    const int appCount = countFor(large ? 162 : 134);
    const double appSpacing = large ? 32 : 24;
    const double appItem = (available - appSpacing * (appCount - 1)) / appCount;
    result.apps = { appCount, large ? 130.0 : 110.0, std::min(appItem, large ? 180.0 : 140.0), appSpacing };

    const int categoryCount = countFor(284);
    const double categoryItem = (available - 24 * (categoryCount - 1)) / categoryCount;
    result.categories = { categoryCount, 260, std::min(categoryItem, 280.0), 24 };
    return result;
}

} // namespace brimlark

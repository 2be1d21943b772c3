#include "uninstaller/views/ResidualSection.h"

#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/views/AppUninstallerFlow.h"

namespace brimlark {

ResidualSection::ResidualSection(ResidualCategory category, QObject *parent)
    : QObject(parent)
    , m_category(category)
{
}

QColor ResidualSection::accent() const
{
    return QColor::fromString(ResidualCategories::accentColor(m_category));
}

QString ResidualSection::countText() const
{
    return AppUninstallerFlow::itemCountText(m_summary.count);
}

QString ResidualSection::totalText() const
{
    return formatFileByteCount(m_summary.totalBytes);
}

void ResidualSection::setSummary(const Summary &summary)
{
    if (summary != m_summary) {
        m_summary = summary;
        emit changed();
    }
}

} // namespace brimlark

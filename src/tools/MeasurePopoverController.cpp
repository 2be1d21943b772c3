#include "tools/MeasurePopoverController.h"

#include "model/WorkspaceStorage.h"
#include "platform/gui/Pasteboard.h"
#include "tools/MeasurementText.h"
#include "tools/RulerManager.h"

namespace brimlark {

MeasurePopoverController::MeasurePopoverController(
    RulerManager &ruler, WorkspaceStorage &storage, Pasteboard &pasteboard, QObject *parent)
    : QObject(parent)
    , m_ruler(ruler)
    , m_storage(storage)
    , m_pasteboard(pasteboard)
{
    connect(&m_ruler, &RulerManager::isRulerShowingChanged, this,
        &MeasurePopoverController::isRulerShowingChanged);
    connect(&m_storage, &WorkspaceStorage::recentMeasurementsChanged, this,
        &MeasurePopoverController::recentMeasurementsChanged);
}

bool MeasurePopoverController::isRulerShowing() const
{
    return m_ruler.isRulerShowing();
}

QStringList MeasurePopoverController::recentMeasurements() const
{
    return m_storage.recentMeasurements();
}

void MeasurePopoverController::toggleRuler()
{
    m_ruler.toggleRuler();
}

void MeasurePopoverController::clearMeasurements()
{
    m_storage.setRecentMeasurements({});
}

void MeasurePopoverController::applyMeasurement(const QString &text)
{
    m_pasteboard.clearContents();
    m_pasteboard.setString(text);
    if (const auto size = MeasurementText::parse(text)) {
        m_ruler.resizeRuler(size->width, size->height);
    }
}

} // namespace brimlark

#include "tools/DeskTools.h"

#include "views/EnabledStateAccessibility.h"

#include <QQmlEngine>

namespace brimlark {

namespace {
// Its owner ends it, not the script engine.
template <typename Controller> Controller *ownedByCpp(Controller *controller)
{
    QQmlEngine::setObjectOwnership(controller, QQmlEngine::CppOwnership);
    return controller;
}
} // namespace

DeskTools::DeskTools(RulerManager &rulerManager, PopoverServices popovers, QObject *parent)
    : QObject(parent)
    , m_rulerManager(&rulerManager)
    , m_popovers(std::move(popovers))
{
    // Before any popover's button is first described.
    installEnabledStateAccessibility();
}

ColorPickerController *DeskTools::makeColorPicker(QObject *owner) const
{
    return ownedByCpp(new ColorPickerController(
        m_popovers.storage, m_popovers.sampler, m_popovers.pasteboard, m_popovers.scheduler, owner));
}

MeasurePopoverController *DeskTools::makeMeasurePopover(QObject *owner) const
{
    return ownedByCpp(
        new MeasurePopoverController(*m_rulerManager, m_popovers.storage, m_popovers.pasteboard, owner));
}

QRGeneratorController *DeskTools::makeQRGenerator(QObject *owner) const
{
    return ownedByCpp(new QRGeneratorController(m_popovers.qrFolder, m_popovers.scheduler, owner));
}

StickyNotesController *DeskTools::makeStickyNotes(QObject *owner) const
{
    return ownedByCpp(new StickyNotesController(m_popovers.storage, owner));
}

CodeSnippetsController *DeskTools::makeCodeSnippets(QObject *owner) const
{
    return ownedByCpp(new CodeSnippetsController(m_popovers.storage, m_popovers.scheduler, owner));
}

} // namespace brimlark

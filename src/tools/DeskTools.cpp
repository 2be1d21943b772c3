#include "tools/DeskTools.h"

#include "tools/ColorPickerController.h"
#include "tools/MeasurePopoverController.h"

#include <QQmlEngine>

namespace brimlark {

DeskTools::DeskTools(QRGeneratorController &qrGenerator, StickyNotesController &stickyNotes,
    CodeSnippetsController &codeSnippets, RulerManager &rulerManager, PopoverServices popovers,
    QObject *parent)
    : QObject(parent)
    , m_qrGenerator(&qrGenerator)
    , m_stickyNotes(&stickyNotes)
    , m_codeSnippets(&codeSnippets)
    , m_rulerManager(&rulerManager)
    , m_popovers(popovers)
{
}

ColorPickerController *DeskTools::makeColorPicker(QObject *owner) const
{
    auto *controller = new ColorPickerController(
        m_popovers.storage, m_popovers.sampler, m_popovers.pasteboard, m_popovers.scheduler, owner);
    // Its owner ends it, not the script engine.
    QQmlEngine::setObjectOwnership(controller, QQmlEngine::CppOwnership);
    return controller;
}

MeasurePopoverController *DeskTools::makeMeasurePopover(QObject *owner) const
{
    auto *controller
        = new MeasurePopoverController(*m_rulerManager, m_popovers.storage, m_popovers.pasteboard, owner);
    QQmlEngine::setObjectOwnership(controller, QQmlEngine::CppOwnership);
    return controller;
}

} // namespace brimlark

#pragma once

#include "tools/CodeSnippetsController.h"
#include "tools/ColorPickerController.h"
#include "tools/MeasurePopoverController.h"
#include "tools/QRGeneratorController.h"
#include "tools/RulerManager.h"
#include "tools/StickyNotesController.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Pasteboard;
class Scheduler;
class ScreenSampler;
class WorkspaceStorage;

// What the toolbar's desk-tool popovers are made with: the controllers the
// program builds once over its stores, the screen ruler's manager, and the
// services the colour picker and measure popovers get a controller over each
// time they open. The program owns all of it; it outlives the window.
class DeskTools : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program with its desk-tool controllers")
    Q_PROPERTY(brimlark::QRGeneratorController *qrGenerator READ qrGenerator CONSTANT)
    Q_PROPERTY(brimlark::StickyNotesController *stickyNotes READ stickyNotes CONSTANT)
    Q_PROPERTY(brimlark::CodeSnippetsController *codeSnippets READ codeSnippets CONSTANT)
    Q_PROPERTY(brimlark::RulerManager *rulerManager READ rulerManager CONSTANT)

public:
    struct PopoverServices
    {
        WorkspaceStorage &storage;
        // Outlives every popover: a pick ends even when its popover has closed.
        ScreenSampler &sampler;
        Pasteboard &pasteboard;
        Scheduler &scheduler;
    };

    DeskTools(QRGeneratorController &qrGenerator, StickyNotesController &stickyNotes,
        CodeSnippetsController &codeSnippets, RulerManager &rulerManager, PopoverServices popovers,
        QObject *parent = nullptr);

    QRGeneratorController *qrGenerator() const { return m_qrGenerator; }
    StickyNotesController *stickyNotes() const { return m_stickyNotes; }
    CodeSnippetsController *codeSnippets() const { return m_codeSnippets; }
    RulerManager *rulerManager() const { return m_rulerManager; }

    // A controller for one open popover, owned by (and gone with) `owner`.
    Q_INVOKABLE brimlark::ColorPickerController *makeColorPicker(QObject *owner) const;
    Q_INVOKABLE brimlark::MeasurePopoverController *makeMeasurePopover(QObject *owner) const;

private:
    QPointer<QRGeneratorController> m_qrGenerator;
    QPointer<StickyNotesController> m_stickyNotes;
    QPointer<CodeSnippetsController> m_codeSnippets;
    QPointer<RulerManager> m_rulerManager;
    PopoverServices m_popovers;
};

} // namespace brimlark

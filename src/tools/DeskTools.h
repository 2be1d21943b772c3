#pragma once

#include "tools/CodeSnippetsController.h"
#include "tools/ColorPickerController.h"
#include "tools/MeasurePopoverController.h"
#include "tools/QRGeneratorController.h"
#include "tools/RulerManager.h"
#include "tools/StickyNotesController.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Pasteboard;
class Scheduler;
class ScreenSampler;
class WorkspaceStorage;

// What the toolbar's desk-tool popovers are made with: the screen ruler's
// manager and the services each popover gets a controller over every time it
// opens, so a reopened popover starts from its initial view state while the
// stored lists stay. The program owns all of it; it outlives the window.
class DeskTools : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program over its services")
    Q_PROPERTY(brimlark::RulerManager *rulerManager READ rulerManager CONSTANT)

public:
    struct PopoverServices
    {
        WorkspaceStorage &storage;
        // Outlives every popover: a pick ends even when its popover has closed.
        ScreenSampler &sampler;
        Pasteboard &pasteboard;
        Scheduler &scheduler;
        // Where the QR code's PNG goes: a folder only this user can enter.
        QString qrFolder;
    };

    DeskTools(RulerManager &rulerManager, PopoverServices popovers, QObject *parent = nullptr);

    RulerManager *rulerManager() const { return m_rulerManager; }

    // A controller for one open popover, owned by (and gone with) `owner`.
    Q_INVOKABLE brimlark::ColorPickerController *makeColorPicker(QObject *owner) const;
    Q_INVOKABLE brimlark::MeasurePopoverController *makeMeasurePopover(QObject *owner) const;
    Q_INVOKABLE brimlark::QRGeneratorController *makeQRGenerator(QObject *owner) const;
    Q_INVOKABLE brimlark::StickyNotesController *makeStickyNotes(QObject *owner) const;
    Q_INVOKABLE brimlark::CodeSnippetsController *makeCodeSnippets(QObject *owner) const;

private:
    QPointer<RulerManager> m_rulerManager;
    PopoverServices m_popovers;
};

} // namespace brimlark

#pragma once

#include "tools/CodeSnippetsController.h"
#include "tools/QRGeneratorController.h"
#include "tools/RulerManager.h"
#include "tools/StickyNotesController.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// What the toolbar's desk-tool popovers are made with: the controllers the
// program builds once over its stores, and the screen ruler's manager. The
// program owns them; they outlive the window.
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
    DeskTools(QRGeneratorController &qrGenerator, StickyNotesController &stickyNotes,
        CodeSnippetsController &codeSnippets, RulerManager &rulerManager, QObject *parent = nullptr)
        : QObject(parent)
        , m_qrGenerator(&qrGenerator)
        , m_stickyNotes(&stickyNotes)
        , m_codeSnippets(&codeSnippets)
        , m_rulerManager(&rulerManager)
    {
    }

    QRGeneratorController *qrGenerator() const { return m_qrGenerator; }
    StickyNotesController *stickyNotes() const { return m_stickyNotes; }
    CodeSnippetsController *codeSnippets() const { return m_codeSnippets; }
    RulerManager *rulerManager() const { return m_rulerManager; }

private:
    QPointer<QRGeneratorController> m_qrGenerator;
    QPointer<StickyNotesController> m_stickyNotes;
    QPointer<CodeSnippetsController> m_codeSnippets;
    QPointer<RulerManager> m_rulerManager;
};

} // namespace brimlark

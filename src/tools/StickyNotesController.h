#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class WorkspaceStorage;

// The sticky notes popover's rules over the active workspace's notes: one
// note shown at a time, paged, added, deleted, recoloured and edited, each
// change stored at once through the workspace storage.
class StickyNotesController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program over its workspace storage")
    Q_PROPERTY(int activeIndex READ activeIndex NOTIFY changed)
    Q_PROPERTY(int count READ count NOTIFY changed)
    Q_PROPERTY(bool hasNotes READ hasNotes NOTIFY changed)
    Q_PROPERTY(QString noteText READ noteText WRITE setNoteText NOTIFY changed)
    Q_PROPERTY(QString noteColorHex READ noteColorHex NOTIFY changed)
    Q_PROPERTY(QString positionText READ positionText NOTIFY changed)
    Q_PROPERTY(bool canGoPrevious READ canGoPrevious NOTIFY changed)
    Q_PROPERTY(bool canGoNext READ canGoNext NOTIFY changed)
    Q_PROPERTY(QVariantList colors READ colorList NOTIFY changed)

public:
    struct PaletteColor
    {
        QString hex;
        QString name;
    };
    static QList<PaletteColor> defaultColors();

    explicit StickyNotesController(WorkspaceStorage &storage, QObject *parent = nullptr);
    StickyNotesController(WorkspaceStorage &storage, QList<PaletteColor> colors, QObject *parent = nullptr);

    // Always in range while notes exist, also right after the list shrank
    // from outside (a workspace switch); 0 when there is none.
    int activeIndex() const;
    int count() const;
    bool hasNotes() const { return count() > 0; }
    QString noteText() const;
    // Stores the shown note's text; nothing while there is no note.
    void setNoteText(const QString &text);
    QString noteColorHex() const;
    QString positionText() const;
    bool canGoPrevious() const { return activeIndex() > 0; }
    bool canGoNext() const { return activeIndex() < count() - 1; }
    // The palette as {hex, name, selected}; a swatch is selected when the
    // shown note's colour is exactly its text (a lower-case colour rings none).
    QVariantList colorList() const;

    Q_INVOKABLE void addNote();
    Q_INVOKABLE void deleteShownNote();
    Q_INVOKABLE void previousNote();
    Q_INVOKABLE void nextNote();
    Q_INVOKABLE void pickColor(const QString &hex);

signals:
    void changed();

private:
    void setActiveIndex(int index);
    // Pulls the index back into the list after any change of it.
    void clampIndex();

    WorkspaceStorage &m_storage;
    QList<PaletteColor> m_colors;
    int m_activeIndex = 0;
};

} // namespace brimlark

#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Pasteboard;
class RulerManager;
class WorkspaceStorage;

// What the measure popover shows and does: the ruler's toggle and the
// active workspace's recent measurements.
class MeasurePopoverController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the desk tools over the program's services")
    Q_PROPERTY(bool isRulerShowing READ isRulerShowing NOTIFY isRulerShowingChanged)
    Q_PROPERTY(QStringList recentMeasurements READ recentMeasurements NOTIFY recentMeasurementsChanged)
public:
    MeasurePopoverController(
        RulerManager &ruler, WorkspaceStorage &storage, Pasteboard &pasteboard, QObject *parent = nullptr);

    bool isRulerShowing() const;
    QStringList recentMeasurements() const;

    Q_INVOKABLE void toggleRuler();
    // Empties the list; the ruler is left alone.
    Q_INVOKABLE void clearMeasurements();
    // A row's click: copies its text, then gives the showing ruler that size
    // when the text reads as one.
    Q_INVOKABLE void applyMeasurement(const QString &text);

signals:
    void isRulerShowingChanged();
    void recentMeasurementsChanged();

private:
    RulerManager &m_ruler;
    WorkspaceStorage &m_storage;
    Pasteboard &m_pasteboard;
};

} // namespace brimlark

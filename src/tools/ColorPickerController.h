#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Pasteboard;
class Scheduler;
class ScreenSampler;
class WorkspaceStorage;

// What the colour picker popover shows and does: the picked colour's hex
// text, its copy message and the active workspace's recent colours.
class ColorPickerController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the desk tools over the program's services")
    Q_PROPERTY(QString hexColor READ hexColor NOTIFY hexColorChanged)
    Q_PROPERTY(QString copyMessage READ copyMessage NOTIFY copyMessageChanged)
    Q_PROPERTY(QStringList recentColors READ recentColors NOTIFY recentColorsChanged)
    Q_PROPERTY(QString unavailableReason READ unavailableReason CONSTANT)
public:
    static constexpr qsizetype maximumRecent = 10;

    ColorPickerController(WorkspaceStorage &storage, ScreenSampler &sampler, Pasteboard &pasteboard,
        Scheduler &scheduler, QObject *parent = nullptr);

    // "#RRGGBB" from sRGB components: each times 255, truncated toward zero
    // (0.5 gives 7F), held to 0...255 so the text stays six digits.
    static QString hexText(double red, double green, double blue);

    QString hexColor() const { return m_hexColor; }
    QString copyMessage() const { return m_copyMessage; }
    QStringList recentColors() const;
    QString unavailableReason() const;

    // Shows the screen sampler; a pick is copied and remembered.
    Q_INVOKABLE void pickColor();
    // A recent colour's chip: copies it again; the list stays as it is.
    Q_INVOKABLE void copyRecentColor(const QString &text);
    Q_INVOKABLE void clearRecentColors();

signals:
    void hexColorChanged();
    void copyMessageChanged();
    void recentColorsChanged();

private:
    void showCopied(const QString &text);
    void setCopyMessage(const QString &message);

    WorkspaceStorage &m_storage;
    ScreenSampler &m_sampler;
    Pasteboard &m_pasteboard;
    Scheduler &m_scheduler;
    QString m_hexColor;
    QString m_copyMessage;
};

} // namespace brimlark

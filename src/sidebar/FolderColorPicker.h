#pragma once

#include "sidebar/FolderColorMath.h"
#include "sidebar/FolderPickerBase.h"

#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The folder colour picker's state and actions: the wheel's hue and
// saturation, the hex and component fields, the presets. Every action
// stores the folder's colour at once.
class FolderColorPicker : public FolderPickerBase
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double hue READ hue NOTIFY wheelChanged)
    Q_PROPERTY(double saturation READ saturation NOTIFY wheelChanged)
    Q_PROPERTY(QString hexText READ hexText WRITE setHexText NOTIFY textsChanged)
    Q_PROPERTY(QString rText READ rText WRITE setRText NOTIFY textsChanged)
    Q_PROPERTY(QString gText READ gText WRITE setGText NOTIFY textsChanged)
    Q_PROPERTY(QString bText READ bText WRITE setBText NOTIFY textsChanged)
    Q_PROPERTY(QString aText READ aText WRITE setAText NOTIFY textsChanged)
    // The folder's stored colour text (the swatch, the knob, the preset marks).
    Q_PROPERTY(QString folderColor READ folderColor NOTIFY folderChanged)

public:
    static constexpr double wheelRadius = 70;

    explicit FolderColorPicker(QObject *parent = nullptr);

    double hue() const { return m_hue; }
    double saturation() const { return m_saturation; }
    const QString &hexText() const { return m_hexText; }
    void setHexText(const QString &text);
    const QString &rText() const { return m_rText; }
    void setRText(const QString &text);
    const QString &gText() const { return m_gText; }
    void setGText(const QString &text);
    const QString &bText() const { return m_bText; }
    void setBText(const QString &text);
    const QString &aText() const { return m_aText; }
    void setAText(const QString &text);
    QString folderColor() const;

    // When the popover comes on screen: everything from the stored colour.
    Q_INVOKABLE void appear();
    // A press or drag at (x, y) in the 140-point wheel square.
    Q_INVOKABLE void dragTo(double x, double y);
    // Return in the hex field.
    Q_INVOKABLE void handleHexInput();
    // Return in any of the R, G, B, A fields.
    Q_INVOKABLE void handleRGBAInput();
    Q_INVOKABLE void choosePreset(const QString &hex);
    // The knob's centre in the wheel square.
    Q_INVOKABLE QPointF knobCenter() const;

signals:
    void wheelChanged();
    void textsChanged();

private:
    void store(const QString &text);
    void syncWheel(const Color &color);
    void syncTextFields(const Color &color);

    double m_hue = 0;
    double m_saturation = 1.0;
    QString m_hexText;
    QString m_rText;
    QString m_gText;
    QString m_bText;
    QString m_aText = QStringLiteral("1.0");
};

} // namespace brimlark

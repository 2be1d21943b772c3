#include "sidebar/FolderColorPicker.h"

#include "model/AppFinder.h"

namespace brimlark {

FolderColorPicker::FolderColorPicker(QObject *parent)
    : FolderPickerBase(parent)
{
}

#define BRIMLARK_TEXT_SETTER(Name, member)                                                                   \
    void FolderColorPicker::Name(const QString &text)                                                        \
    {                                                                                                        \
        if (member != text) {                                                                                \
            member = text;                                                                                   \
            emit textsChanged();                                                                             \
        }                                                                                                    \
    }
BRIMLARK_TEXT_SETTER(setHexText, m_hexText)
BRIMLARK_TEXT_SETTER(setRText, m_rText)
BRIMLARK_TEXT_SETTER(setGText, m_gText)
BRIMLARK_TEXT_SETTER(setBText, m_bText)
BRIMLARK_TEXT_SETTER(setAText, m_aText)
#undef BRIMLARK_TEXT_SETTER

QString FolderColorPicker::folderColor() const
{
    return folder().color;
}

void FolderColorPicker::appear()
{
    const Color c = FolderColorMath::colorFromHex(folder().color);
    syncWheel(c);
    syncTextFields(c);
}

void FolderColorPicker::dragTo(double x, double y)
{
    const auto point = FolderColorMath::wheelPoint(x, y, wheelRadius);
    m_hue = point.hue;
    m_saturation = point.saturation;
    emit wheelChanged();
    const Color c = FolderColorMath::colorFromHsb(point.hue, point.saturation, 1.0);
    store(FolderColorMath::colorToHex(c));
    syncTextFields(c);
}

void FolderColorPicker::handleHexInput()
{
    const QString text = m_hexText.startsWith(u'#') ? m_hexText : QStringLiteral("#") + m_hexText;
    const Color c = FolderColorMath::colorFromHex(text);
    store(text);
    syncWheel(c);
    m_rText = QString::number(FolderColorMath::byteOf(c.red));
    m_gText = QString::number(FolderColorMath::byteOf(c.green));
    m_bText = QString::number(FolderColorMath::byteOf(c.blue));
    emit textsChanged();
}

void FolderColorPicker::handleRGBAInput()
{
    const Color c { FolderColorMath::readNumber(m_rText).value_or(0) / 255.0,
        FolderColorMath::readNumber(m_gText).value_or(0) / 255.0,
        FolderColorMath::readNumber(m_bText).value_or(0) / 255.0,
        FolderColorMath::readNumber(m_aText).value_or(1.0) };
    const QString text = FolderColorMath::colorToHex(c);
    store(text);
    setHexText(text);
    syncWheel(c);
}

void FolderColorPicker::choosePreset(const QString &hex)
{
    const Color c = FolderColorMath::colorFromHex(hex);
    store(hex);
    syncWheel(c);
    syncTextFields(c);
}

QPointF FolderColorPicker::knobCenter() const
{
    return FolderColorMath::knobCenter(m_hue, m_saturation, wheelRadius);
}

void FolderColorPicker::store(const QString &text)
{
    if (catalog()) {
        catalog()->setFolderColor(folder(), text);
    }
}

void FolderColorPicker::syncWheel(const Color &color)
{
    const auto hsb = FolderColorMath::hsbFromColor(color);
    m_hue = hsb.hue;
    m_saturation = hsb.saturation;
    emit wheelChanged();
}

void FolderColorPicker::syncTextFields(const Color &color)
{
    m_hexText = FolderColorMath::colorToHex(color);
    m_rText = QString::number(FolderColorMath::byteOf(color.red));
    m_gText = QString::number(FolderColorMath::byteOf(color.green));
    m_bText = QString::number(FolderColorMath::byteOf(color.blue));
    m_aText = QString::number(color.opacity, 'f', 1);
    emit textsChanged();
}

} // namespace brimlark

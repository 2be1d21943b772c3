#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace brimlark {

// QR Code symbols (ISO/IEC 18004) at error-correction level Q. Needs no
// running GUI: the image is drawn in memory.
class QrEncoder
{
public:
    // White modules around the symbol, as the standard asks of readers.
    static constexpr int QuietZone = 4;

    // The symbol for the bytes with each module drawn as a scale × scale
    // block of black or white, the quiet zone included; a null image for
    // empty bytes or bytes too long for any symbol at level Q.
    static QImage encode(const QByteArray &bytes, int scale);

    // Writes the image as PNG (mode 0600) to the path by an atomic replace: readers see
    // the old file or the new one, and whatever sat at the path (a stale
    // file, a link planted there) is replaced, never written through.
    // False when the file could not be written.
    static bool savePng(const QImage &image, const QString &path);
};

} // namespace brimlark

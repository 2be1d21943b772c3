#include "platform/gui/QrEncoder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <qrencode.h>

#include <cstdio>
#include <memory>

namespace brimlark {

QImage QrEncoder::encode(const QByteArray &bytes, int scale)
{
    if (bytes.isEmpty() || scale < 1) {
        return {};
    }
    // Byte mode keeps the text's UTF-8 bytes exactly as they are.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(
            int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0, QR_ECLEVEL_Q),
        &QRcode_free);
    if (!code) {
        return {};
    }
    const int modules = code->width + 2 * QuietZone;
    QImage image(modules * scale, modules * scale, QImage::Format_Grayscale8);
    if (image.isNull()) {
        return {};
    }
    image.fill(255);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            const int left = (x + QuietZone) * scale;
            const int top = (y + QuietZone) * scale;
            for (int row = top; row < top + scale; ++row) {
                std::fill_n(image.scanLine(row) + left, scale, uchar(0));
            }
        }
    }
    return image;
}

bool QrEncoder::savePng(const QImage &image, const QString &path)
{
    if (image.isNull()) {
        return false;
    }
    // Not QSaveFile: it writes through a link found at the path. A fresh,
    // exclusively created file beside it is renamed over whatever is there.
    QTemporaryFile file(QFileInfo(path).absolutePath() + QStringLiteral("/.brimlark_qrcode-XXXXXX"));
    if (!file.open() || !image.save(&file, "PNG") || !file.flush()) {
        return false;
    }
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData())
        != 0) {
        return false;
    }
    file.setAutoRemove(false);
    return true;
}

} // namespace brimlark

#include "views/ShadowPainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace brimlark {

namespace {

// One pass of a Gaussian along rows (or columns) of an alpha plane.
void blurPass(std::vector<float> &plane, int width, int height, qreal sigma, bool alongRows)
{
    const int reach = int(std::ceil(3 * sigma));
    const int taps = 2 * reach + 1;
    std::vector<float> kernel(static_cast<std::size_t>(taps));
    float sum = 0;
    for (int i = -reach; i <= reach; ++i) {
        const float k = float(std::exp(-(i * i) / (2 * sigma * sigma)));
        kernel[std::size_t(i + reach)] = k;
        sum += k;
    }
    for (auto &k : kernel) {
        k /= sum;
    }
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const std::size_t lineStart = alongRows ? std::size_t(width) : 1;
    const std::size_t step = alongRows ? 1 : std::size_t(width);
    // Each line is copied between `reach` zeros on either side, so every tap
    // reads without a bounds check; the zeros add nothing. Each output sums
    // its taps in the kernel's order, as a loop per pixel would, while the
    // loop over the pixels runs on independent sums.
    std::vector<float> padded(std::size_t(length + 2 * reach), 0.f);
    std::vector<float> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        float *first = plane.data() + std::size_t(l) * lineStart;
        for (int i = 0; i < length; ++i) {
            padded[std::size_t(reach + i)] = first[std::size_t(i) * step];
        }
        std::fill(line.begin(), line.end(), 0.f);
        for (int k = 0; k < taps; ++k) {
            const float weight = kernel[std::size_t(k)];
            const float *source = padded.data() + k;
            for (int i = 0; i < length; ++i) {
                line[std::size_t(i)] += source[i] * weight;
            }
        }
        for (int i = 0; i < length; ++i) {
            first[std::size_t(i) * step] = line[std::size_t(i)];
        }
    }
}

} // namespace

qreal ShadowPainter::deviation(qreal blur)
{
    return std::max<qreal>(0.01, blur / 2);
}

int ShadowPainter::reach(qreal blur)
{
    return blur <= 0 ? 0 : int(std::ceil(3 * deviation(blur)));
}

QImage ShadowPainter::around(
    const QSizeF &shape, qreal cornerRadius, qreal blur, qreal margin, const QColor &color, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    const qreal m = margin * scale;
    const QSize size(
        int(std::ceil(shape.width() * scale + 2 * m)), int(std::ceil(shape.height() * scale + 2 * m)));
    return roundedRect(size, QRectF(m, m, shape.width() * scale, shape.height() * scale),
        cornerRadius * scale, blur > 0 ? deviation(blur) * scale : 0, color);
}

qreal ShadowPainter::scaleFor(const QSize &requested, qreal natural)
{
    return requested.width() > 0 && natural > 0 ? requested.width() / natural : 1;
}

QImage ShadowPainter::roundedRect(
    const QSize &size, const QRectF &shape, qreal radius, qreal deviation, const QColor &color)
{
    const int width = std::max(1, size.width());
    const int height = std::max(1, size.height());
    // The shape's coverage first, then blurred, then coloured.
    QImage mask(width, height, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        // Without a blur the edge stays hard: a pixel is in when its centre is.
        p.setRenderHint(QPainter::Antialiasing, deviation > 0);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(shape, radius, radius);
    }
    std::vector<float> plane(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const uchar *line = mask.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            plane[std::size_t(y * width + x)] = line[x] / 255.f;
        }
    }
    if (deviation > 0) {
        blurPass(plane, width, height, deviation, true);
        blurPass(plane, width, height, deviation, false);
    }
    QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
    const float alpha = float(color.alphaF());
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float a = std::clamp(plane[std::size_t(y * width + x)] * alpha, 0.f, 1.f);
            line[x]
                = qPremultiply(qRgba(color.red(), color.green(), color.blue(), int(std::lround(a * 255))));
        }
    }
    return out;
}

} // namespace brimlark

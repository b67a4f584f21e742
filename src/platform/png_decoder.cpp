// PNG through Qt's reader (libpng underneath): grey, colour and palette images of any bit
// depth, with or without transparency. Samples are taken as stored, without gamma
// correction, as the other formats are.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstring>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

PixelBuffer Copy(const QImage& image, PixelFormat format, int bytesPerPixel) {
    PixelBuffer out;
    out.width = image.width();
    out.height = image.height();
    out.format = format;
    out.stride = out.width * bytesPerPixel;
    out.bytes.resize(static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride),
                    image.constScanLine(y), static_cast<std::size_t>(out.stride));
    }
    return out;
}

// What shows through a transparent pixel is the white paper.
QImage OnWhite(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB888);
    if (flat.isNull()) return flat;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = flat.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            const int clear = 255 * (255 - alpha);
            out[3 * x] = static_cast<uchar>((qRed(in[x]) * alpha + clear + 127) / 255);
            out[3 * x + 1] = static_cast<uchar>((qGreen(in[x]) * alpha + clear + 127) / 255);
            out[3 * x + 2] = static_cast<uchar>((qBlue(in[x]) * alpha + clear + 127) / 255);
        }
    }
    return flat;
}

}  // namespace

RawDecode DecodePng(std::string_view bytes) {
    RawDecode result;
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer device(&data);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device, "png");
    reader.setAutoDetectImageFormat(false);
    // 16-bit colour with alpha takes eight bytes a pixel while it is read.
    reader.setAllocationLimit(static_cast<int>((kMaxImagePixels * 8 + (1 << 20) - 1) >> 20));
    const QSize size = reader.size();
    if (size.width() <= 0 || size.height() <= 0) {
        result.problem = kCorruptImage;
        return result;
    }
    if (static_cast<long long>(size.width()) * size.height() > kMaxImagePixels) {
        result.problem = TooLargeProblem(size.width(), size.height());
        return result;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        result.problem = kCorruptImage;
        return result;
    }
    QImage converted;
    PixelFormat format = PixelFormat::Rgb24;
    if (image.hasAlphaChannel()) {
        converted = OnWhite(image);
    } else if (image.isGrayscale()) {
        converted = image.convertToFormat(QImage::Format_Grayscale8);
        format = PixelFormat::Gray8;
    } else {
        converted = image.convertToFormat(QImage::Format_RGB888);
    }
    if (converted.isNull()) {
        result.problem = kOutOfMemory;
        return result;
    }
    image = QImage();
    result.pixels = Copy(converted, format, format == PixelFormat::Gray8 ? 1 : 3);
    return result;
}

}  // namespace quillmark::detail

#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/sheet_image.h"

namespace quillmark::test {

Colour ColourOf(QRgb rgb);

// Largest difference of any channel of any pixel, read through SheetImage::readPixel;
// 256 when the sizes differ.
int MaxChannelDifference(const QImage& expected, const PixelBuffer& decoded);

// Largest difference between the engine's luminance of the expected pixels and of the
// decoded ones; 256 when the sizes differ.
int MaxLuminanceDifference(const QImage& expected, const PixelBuffer& decoded);

std::string SaveBmp(const QImage& image);  // through Qt's BMP writer

// A bitmap assembled field by field; a negative height stores the rows top-down.
struct HandBmp {
    HandBmp(int w, int h, int bits, std::uint32_t compress, std::vector<QRgb> colours, std::string stored)
        : width(w), height(h), bitCount(bits), compression(compress), palette(std::move(colours)),
          pixels(std::move(stored)) {}

    int width = 0;
    int height = 0;
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<QRgb> palette;
    std::string pixels;       // exactly as stored, rows padded
    std::string headerTail;   // bytes after the 40-byte header (masks of a larger header)
};
std::string BuildBmp(const HandBmp& bmp);

// Palette indices, one row a string, top row first, as an Indexed8 image.
QImage IndexedImage(const std::vector<std::vector<int>>& rows, const std::vector<QRgb>& palette);

std::string EncodeJpeg(const QImage& image, bool grey, int quality, int subsampling, int flags = 0);

std::string EncodePng(const QImage& image);  // through Qt's PNG writer, in the image's own format

// One page of a TIFF file written by libtiff.
struct TiffPage {
    QImage image;                  // stored grey (8 bits), or RGB when it is not grey
    std::uint16_t compression = 1;  // a COMPRESSION_ value
    bool bilevel = false;          // 1 bit a pixel, black where the grey is below 128 (min-is-white)
    int tileSide = 0;              // tiles of this side (a multiple of 16); 0: strips
    int rowsPerStrip = 32;
};
std::string EncodeTiff(const std::vector<TiffPage>& pages);

// A PDF of one image a page, each page the image's size at `dpi`; through Qt's PDF writer,
// so it needs the painting application.
std::string EncodePdf(const std::vector<QImage>& pages, double dpi);

// A PDF assembled object by object: object 1 is the catalog, 2 the page tree; the
// cross-reference table is computed. Objects are given without "N 0 obj" around them.
std::string AssemblePdf(const std::vector<std::string>& objects, const std::string& trailerExtra = "");
// A PNG chunk: length, type, data and CRC.
std::string PngChunk(const char* type, const std::string& data);

// A stream object: its dictionary's entries (without << >>) and its bytes.
std::string PdfStream(const std::string& entries, const std::string& data);

// One page of `points` square drawing `content`; `resources` are the entries of its
// resource dictionary, `more` further objects, numbered from 5 (4 is the content).
std::string OnePagePdf(double points, const std::string& content, const std::string& resources = "",
                       const std::vector<std::string>& more = {});

// A grey image XObject of `pixels` square, its value at (x, y) given by `grey`.
std::string GreyImageObject(int pixels, int (*grey)(int x, int y));

// The largest single operator-new request made while the probe lives.
class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    std::size_t largest() const;
};

}  // namespace quillmark::test

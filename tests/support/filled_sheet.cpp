#include "support/filled_sheet.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <random>
#include <stdexcept>
#include <turbojpeg.h>

#include "platform/sheet_renderer.h"

namespace quillmark::test {
namespace {

using Random = std::mt19937_64;

double Uniform(Random& random, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }

std::uint8_t& At(PixelBuffer& image, int x, int y) {
    return image.bytes[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride) + static_cast<std::size_t>(x)];
}

PixelBuffer FromQImage(const QImage& source) {
    QImage grey = source.convertToFormat(QImage::Format_Grayscale8);
    PixelBuffer buffer = PixelBuffer::Blank(grey.width(), grey.height(), PixelFormat::Gray8);
    for (int y = 0; y < grey.height(); ++y) {
        std::copy_n(grey.constScanLine(y), grey.width(), &At(buffer, 0, y));
    }
    return buffer;
}

// Darkens like graphite on paper: the paper's grey is multiplied by the mark's.
void Darken(PixelBuffer& image, int x, int y, double grey) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t& pixel = At(image, x, y);
    pixel = static_cast<std::uint8_t>(std::lround(pixel * std::clamp(grey, 0.0, 255.0) / 255.0));
}

// A hand-filled bubble: an ellipse with a wobbly outline, off centre, with grain.
void DrawNeatMark(PixelBuffer& image, const RectMm& cell, double dotsPerMm) {
    double cx = cell.centreX() * dotsPerMm, cy = cell.centreY() * dotsPerMm;
    double a = cell.width * 0.36 * dotsPerMm, b = cell.height * 0.30 * dotsPerMm;
    for (int y = static_cast<int>(cy - b) - 1; y <= static_cast<int>(cy + b) + 1; ++y) {
        for (int x = static_cast<int>(cx - a) - 1; x <= static_cast<int>(cx + a) + 1; ++x) {
            double dx = (x - cx) / a, dy = (y - cy) / b;
            if (dx * dx + dy * dy <= 1) Darken(image, x, y, 50);
        }
    }
}

void DrawMark(PixelBuffer& image, const RectMm& cell, double dotsPerMm, MarkKind kind, Random& random) {
    double cx = (cell.centreX() + Uniform(random, -0.08, 0.08) * cell.width) * dotsPerMm;
    double cy = (cell.centreY() + Uniform(random, -0.08, 0.08) * cell.height) * dotsPerMm;
    double a = cell.width * 0.36 * Uniform(random, 0.85, 1.1) * dotsPerMm;
    double b = cell.height * 0.30 * Uniform(random, 0.85, 1.15) * dotsPerMm;
    double phase1 = Uniform(random, 0, 6.3), phase2 = Uniform(random, 0, 6.3);
    double grey = kind == MarkKind::Firm ? Uniform(random, 35, 95)
                  : kind == MarkKind::Light ? Uniform(random, 135, 160)
                                            : Uniform(random, 205, 225);
    if (kind == MarkKind::Erased) {  // rubbing spreads the rest thinly
        a *= 1.1;
        b *= 1.1;
    }
    std::uniform_real_distribution<double> grain(-22, 22);
    for (int y = static_cast<int>(cy - b * 1.3); y <= static_cast<int>(cy + b * 1.3); ++y) {
        for (int x = static_cast<int>(cx - a * 1.3); x <= static_cast<int>(cx + a * 1.3); ++x) {
            double dx = (x - cx) / a, dy = (y - cy) / b;
            double angle = std::atan2(dy, dx);
            double edge = 1 + 0.08 * std::sin(3 * angle + phase1) + 0.05 * std::sin(5 * angle + phase2);
            if (dx * dx + dy * dy <= edge * edge) Darken(image, x, y, grey + grain(random));
        }
    }
}

// Records the cell when the point lies in its middle, where the reader samples it.
void NoteCrossedCell(const SheetLayout& layout, double xMm, double yMm, std::vector<GridPosition>& crossed) {
    double u = (xMm - page::kGridLeft) / (page::kGridRight - page::kGridLeft) * layout.across;
    double v = (yMm - page::kGridTop) / (page::kGridBottom - page::kGridTop) * layout.down;
    if (u < 0 || v < 0 || u >= layout.across || v >= layout.down) return;
    if (std::fabs(u - std::floor(u) - 0.5) > 0.3 || std::fabs(v - std::floor(v) - 0.5) > 0.3) return;
    GridPosition cell{static_cast<int>(u) + 1, static_cast<int>(v) + 1};
    for (const GridPosition& known : crossed) {
        if (known.column == cell.column && known.row == cell.row) return;
    }
    crossed.push_back(cell);
}

void DrawStroke(PixelBuffer& image, Random& random, double dotsPerMm, const SheetLayout& layout,
                std::vector<GridPosition>& crossed) {
    double x0 = Uniform(random, 0, image.width), y0 = Uniform(random, 0, image.height);
    double length = Uniform(random, 10, 40) * dotsPerMm, angle = Uniform(random, 0, 6.3);
    double width = 0.3 * dotsPerMm;
    int steps = static_cast<int>(length);
    for (int i = 0; i <= steps; ++i) {
        double x = x0 + std::cos(angle) * i, y = y0 + std::sin(angle) * i + 3 * std::sin(i / 25.0);
        NoteCrossedCell(layout, x / dotsPerMm, y / dotsPerMm, crossed);
        for (int oy = -static_cast<int>(width); oy <= static_cast<int>(width); ++oy) {
            for (int ox = -static_cast<int>(width); ox <= static_cast<int>(width); ++ox) {
                Darken(image, static_cast<int>(x) + ox, static_cast<int>(y) + oy, 90);
            }
        }
    }
}

PixelBuffer Turn(const PixelBuffer& source, int quarterTurns) {
    if (quarterTurns == 0) return source;
    bool sideways = quarterTurns != 3;
    PixelBuffer out = PixelBuffer::Blank(sideways ? source.height : source.width,
                                         sideways ? source.width : source.height, PixelFormat::Gray8);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            std::uint8_t v = source.bytes[static_cast<std::size_t>(y * source.stride + x)];
            if (quarterTurns == 1) At(out, y, source.width - 1 - x) = v;           // top to the left
            else if (quarterTurns == 2) At(out, source.height - 1 - y, x) = v;     // top to the right
            else At(out, source.width - 1 - x, source.height - 1 - y) = v;         // upside down
        }
    }
    return out;
}

// Rotation about the centre, scale and shift, resampled bilinearly; white outside.
PixelBuffer Transform(const PixelBuffer& source, double degrees, double scale, double shiftX, double shiftY) {
    if (degrees == 0 && scale == 1 && shiftX == 0 && shiftY == 0) return source;
    PixelBuffer out = PixelBuffer::Blank(source.width, source.height, PixelFormat::Gray8);
    double radians = degrees * M_PI / 180, c = std::cos(radians), s = std::sin(radians);
    double mx = source.width / 2.0, my = source.height / 2.0;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            // Inverse map: positive degrees turn the content counter-clockwise on screen.
            double dx = (x - mx - shiftX) / scale, dy = (y - my - shiftY) / scale;
            double sx = mx + c * dx - s * dy, sy = my + s * dx + c * dy;
            int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            if (x0 < 0 || y0 < 0 || x0 + 1 >= source.width || y0 + 1 >= source.height) continue;
            double fx = sx - x0, fy = sy - y0;
            auto v = [&](int xx, int yy) { return source.bytes[static_cast<std::size_t>(yy * source.stride + xx)]; };
            double top = v(x0, y0) * (1 - fx) + v(x0 + 1, y0) * fx;
            double bottom = v(x0, y0 + 1) * (1 - fx) + v(x0 + 1, y0 + 1) * fx;
            At(out, x, y) = static_cast<std::uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
        }
    }
    return out;
}

void BoxBlur(PixelBuffer& image, int radius) {
    if (radius <= 0) return;
    std::vector<int> line;
    auto pass = [&](bool horizontal) {
        int outer = horizontal ? image.height : image.width, inner = horizontal ? image.width : image.height;
        line.resize(static_cast<std::size_t>(inner));
        for (int o = 0; o < outer; ++o) {
            auto pixel = [&](int i) -> std::uint8_t& { return horizontal ? At(image, i, o) : At(image, o, i); };
            for (int i = 0; i < inner; ++i) line[static_cast<std::size_t>(i)] = pixel(i);
            int sum = 0, count = 0;
            for (int i = -radius; i < inner; ++i) {
                if (i + radius < inner) sum += line[static_cast<std::size_t>(i + radius)], ++count;
                if (i - radius - 1 >= 0) sum -= line[static_cast<std::size_t>(i - radius - 1)], --count;
                if (i >= 0) pixel(i) = static_cast<std::uint8_t>(sum / count);
            }
        }
    };
    pass(true);
    pass(false);
}

}  // namespace

PixelBuffer BlankSheet(const SheetLayout& layout, double dpi) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, double>, PixelBuffer> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto key = std::make_pair(std::string(layout.entry->code), dpi);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, FromQImage(RenderBlankSheet(layout, dpi))).first;
    return it->second;
}

FilledSheet MakeFilledSheet(const FilledSheetRecipe& recipe) {
    if (!recipe.layout) throw std::invalid_argument("no layout");
    const SheetLayout& layout = *recipe.layout;
    Random random(recipe.seed);
    double dotsPerMm = recipe.dpi / 25.4;
    FilledSheet sheet;
    PixelBuffer image = BlankSheet(layout, recipe.dpi);

    auto mark = [&](GridPosition cell) {
        MarkKind kind = Uniform(random, 0, 1) < recipe.lightMarkShare ? MarkKind::Light : MarkKind::Firm;
        if (recipe.neatMarks) DrawNeatMark(image, layout.Cell(cell), dotsPerMm);
        else DrawMark(image, layout.Cell(cell), dotsPerMm, kind, random);
        sheet.marks.push_back({cell, kind});
    };
    for (int n = 1; n <= static_cast<int>(recipe.number.size()) && n <= SheetLayout::kDigits; ++n) {
        char digit = recipe.number[static_cast<std::size_t>(n - 1)];
        if (digit < '0' || digit > '9') continue;
        mark(layout.DigitCell(n, digit - '0'));
        sheet.expectedNumber += digit;
    }
    for (int q = 1; q <= layout.questions; ++q) {
        std::string answer = q <= static_cast<int>(recipe.answers.size()) ? recipe.answers[static_cast<std::size_t>(q - 1)] : "";
        std::string expected;
        for (int k = 1; k <= layout.options; ++k) {
            if (answer.find(static_cast<char>('0' + k)) == std::string::npos) {
                if (Uniform(random, 0, 1) < recipe.erasedMarkShare) {
                    GridPosition cell = layout.OptionCell(q, k);
                    DrawMark(image, layout.Cell(cell), dotsPerMm, MarkKind::Erased, random);
                    sheet.marks.push_back({cell, MarkKind::Erased});
                }
                continue;
            }
            mark(layout.OptionCell(q, k));
            expected += static_cast<char>('0' + k);
        }
        // Every option filled leaves no spread between them: no answer.
        if (static_cast<int>(expected.size()) == layout.options) expected.clear();
        sheet.expectedAnswers.push_back(expected);
    }
    for (int i = 0; i < recipe.strayStrokes; ++i) DrawStroke(image, random, dotsPerMm, layout, sheet.strokeCells);

    image = Transform(Turn(image, recipe.quarterTurns), recipe.rotateDegrees, recipe.scale, recipe.shiftX, recipe.shiftY);
    // The light falls on the whole scan, the backing around a shifted or turned sheet too.
    if (recipe.unevenLight > 0) {
        double corner = Uniform(random, 0, 4);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                double u = (corner < 2 ? x : image.width - x) / static_cast<double>(image.width);
                double v = (static_cast<int>(corner) % 2 ? y : image.height - y) / static_cast<double>(image.height);
                Darken(image, x, y, 255 * (1 - recipe.unevenLight * (u + v) / 2));
            }
        }
    }
    BoxBlur(image, static_cast<int>(std::lround(recipe.blurRadius)));
    if (recipe.noise > 0) {
        std::normal_distribution<double> noise(0, recipe.noise);
        for (std::uint8_t& pixel : image.bytes) pixel = static_cast<std::uint8_t>(std::clamp(std::lround(pixel + noise(random)), 0L, 255L));
    }
    sheet.image = std::move(image);
    return sheet;
}

std::string EncodeJpegGray(const PixelBuffer& image, int quality) {
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(handle, image.bytes.data(), image.width, image.stride, image.height, TJPF_GRAY, &data, &size,
                         TJSAMP_GRAY, quality, TJFLAG_ACCURATEDCT);
    std::string bytes = rc == 0 ? std::string(reinterpret_cast<char*>(data), size) : std::string();
    tjFree(data);
    tjDestroy(handle);
    return bytes;
}

std::string EncodeBmp(const PixelBuffer& image) {
    int rowBytes = (image.width * 3 + 3) / 4 * 4;
    std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(image.height);
    std::string bytes(54 + pixelBytes, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + pixelBytes, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(image.width), 4);
    put(22, static_cast<std::uint32_t>(image.height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixelBytes, 4);
    for (int y = 0; y < image.height; ++y) {
        std::size_t row = 54 + static_cast<std::size_t>(image.height - 1 - y) * static_cast<std::size_t>(rowBytes);
        for (int x = 0; x < image.width; ++x) {
            char v = static_cast<char>(image.bytes[static_cast<std::size_t>(y * image.stride + x)]);
            bytes[row + 3 * static_cast<std::size_t>(x)] = v;
            bytes[row + 3 * static_cast<std::size_t>(x) + 1] = v;
            bytes[row + 3 * static_cast<std::size_t>(x) + 2] = v;
        }
    }
    return bytes;
}

}  // namespace quillmark::test

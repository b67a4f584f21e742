// TIFF through libtiff: every compression it was built with (uncompressed, LZW, Deflate,
// PackBits, JPEG, CCITT G3/G4), strips and tiles, one page (directory) at a time.
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

// What libtiff reported while a file was open. Its codecs only warn when compressed data
// ends early or holds a bad code, and fill the rest of the row; such a page is as damaged
// as one they refuse.
struct Reports {
    bool failed = false;
    bool damaged = false;
};

int OnError(TIFF*, void* user, const char*, const char*, va_list) {
    static_cast<Reports*>(user)->failed = true;
    return 1;  // handled: nothing is printed
}

int OnWarning(TIFF*, void* user, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    const std::string_view message(text);
    const std::string_view from(module ? module : "");
    for (std::string_view sign : {"Premature", "Bad code", "Line length mismatch", "Huffman", "Corrupt JPEG data"}) {
        if (message.find(sign) != std::string_view::npos) static_cast<Reports*>(user)->damaged = true;
    }
    if (from.rfind("Fax", 0) == 0) static_cast<Reports*>(user)->damaged = true;
    return 1;
}

// Bytes in memory as a read-only TIFF stream.
struct Memory {
    std::string_view bytes;
    toff_t at = 0;
};

tmsize_t MemoryRead(thandle_t handle, void* out, tmsize_t size) {
    auto* memory = static_cast<Memory*>(handle);
    if (size <= 0 || memory->at >= memory->bytes.size()) return 0;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), memory->bytes.size() - memory->at);
    std::memcpy(out, memory->bytes.data() + memory->at, n);
    memory->at += n;
    return static_cast<tmsize_t>(n);
}
tmsize_t MemoryWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t MemorySeek(thandle_t handle, toff_t offset, int whence) {
    auto* memory = static_cast<Memory*>(handle);
    toff_t base = whence == SEEK_CUR ? memory->at : whence == SEEK_END ? memory->bytes.size() : 0;
    memory->at = base + offset;
    return memory->at;
}
int MemoryClose(thandle_t) { return 0; }
toff_t MemorySize(thandle_t handle) { return static_cast<Memory*>(handle)->bytes.size(); }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

struct CloseTiff {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// One open file with its reports; the reports outlive the handle that writes into them.
class OpenTiff {
public:
    explicit OpenTiff(const PagedInput& input) : memory_{input.bytes} {
        // Errors before a handle exists (a file that cannot be opened) would go to libtiff's
        // global handlers, which print; the result tells us all we need.
        static std::once_flag quiet;
        std::call_once(quiet, [] {
            TIFFSetErrorHandler(nullptr);
            TIFFSetWarningHandler(nullptr);
        });
        std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &reports_);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &reports_);
        // "m": read(), not a mapping, so a file cut short while it is read fails a read
        // instead of ending the program.
        if (input.path) {
            tif_.reset(TIFFOpenExt(input.path->c_str(), "rm", options.get()));
        } else {
            tif_.reset(TIFFClientOpenExt("memory", "rm", &memory_, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                         MemorySize, NoMap, NoUnmap, options.get()));
        }
    }

    TIFF* get() const { return tif_.get(); }
    Reports& reports() { return reports_; }

private:
    Reports reports_;
    Memory memory_;
    std::unique_ptr<TIFF, CloseTiff> tif_;
};

// Where the rows of a grey page go: into the image, or through a reducer for a fine scan.
class GreyRows {
public:
    GreyRows(std::uint32_t width, std::uint32_t height, int factor) {
        if (factor > 1) {
            reducer_.emplace(static_cast<int>(width), static_cast<int>(height), PixelFormat::Gray8, factor);
            line_.resize(width);
        } else {
            image_ = PixelsFor(static_cast<int>(width), static_cast<int>(height), PixelFormat::Gray8);
        }
    }
    std::uint8_t* Row(std::uint32_t y) {
        return reducer_ ? line_.data() : image_.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.stride);
    }
    void Done() {
        if (reducer_) reducer_->Add(line_.data());
    }
    PixelBuffer Take() { return reducer_ ? reducer_->Take() : std::move(image_); }

private:
    std::optional<RowReducer> reducer_;
    std::vector<std::uint8_t> line_;
    PixelBuffer image_;
};

// Grey or bilevel strips, by far the most common scans, straight into grey bytes.
bool ReadGreyStrips(TIFF* tif, const Reports& reports, int bits, bool minIsWhite, std::uint32_t width,
                    std::uint32_t height, GreyRows& out) {
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    const tmsize_t stripBytes = TIFFStripSize(tif);
    if (rowBytes <= 0 || stripBytes <= 0) return false;
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(stripBytes));

    // One input byte of eight bilevel pixels gives eight grey bytes.
    std::array<std::array<std::uint8_t, 8>, 256> expand{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool set = (byte >> (7 - bit)) & 1;
            expand[static_cast<std::size_t>(byte)][static_cast<std::size_t>(bit)] = set == minIsWhite ? 0 : 255;
        }
    }

    for (std::uint32_t first = 0; first < height; first += rowsPerStrip) {
        const std::uint32_t rows = std::min(rowsPerStrip, height - first);
        const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, first, 0), strip.data(), rows * rowBytes);
        if (got < static_cast<tmsize_t>(rows) * rowBytes || reports.failed || reports.damaged) return false;
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint8_t* in = strip.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(rowBytes);
            std::uint8_t* row = out.Row(first + r);
            if (bits == 8) {
                if (minIsWhite) {
                    for (std::size_t x = 0; x < width; ++x) row[x] = static_cast<std::uint8_t>(255 - in[x]);
                } else {
                    std::memcpy(row, in, width);
                }
            } else {
                std::size_t x = 0;
                for (; x + 8 <= width; x += 8) std::memcpy(row + x, expand[in[x / 8]].data(), 8);
                for (; x < width; ++x) row[x] = expand[in[x / 8]][x % 8];
            }
            out.Done();
        }
    }
    return true;
}

// Everything else through libtiff's RGBA reader, a band of rows at a time so a large page
// never needs four bytes a pixel at once. Rows come in the order they are stored: the
// engine finds the sheet's orientation itself.
bool ReadThroughRgba(TIFF* tif, const Reports& reports, bool grey, PixelBuffer& out) {
    char message[1024] = "";
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 1, message)) return false;
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end{&image};
    image.req_orientation = image.orientation;

    const std::uint32_t width = static_cast<std::uint32_t>(out.width);
    const std::uint32_t height = static_cast<std::uint32_t>(out.height);
    std::uint32_t unit = 1;  // rows a strip or tile holds: bands start on their boundaries
    if (TIFFIsTiled(tif)) TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint32_t wanted = std::max<std::uint32_t>(1, (std::uint32_t{16} << 20) / (4 * width));
    const std::uint32_t band = std::min(height, std::max(unit, wanted / unit * unit));
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * band);

    for (std::uint32_t first = 0; first < height; first += band) {
        const std::uint32_t rows = std::min(band, height - first);
        image.row_offset = static_cast<int>(first);
        if (!TIFFRGBAImageGet(&image, raster.data(), width, rows) || reports.failed || reports.damaged) return false;
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t* in = raster.data() + static_cast<std::size_t>(r) * width;
            std::uint8_t* row = out.bytes.data() + static_cast<std::size_t>(first + r) * static_cast<std::size_t>(out.stride);
            for (std::uint32_t x = 0; x < width; ++x) {
                // Premultiplied by alpha: what is transparent shows the white paper.
                const std::uint32_t p = in[x];
                const std::uint32_t clear = 255 - TIFFGetA(p);
                if (grey) {
                    row[x] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetR(p) + clear));
                } else {
                    row[3 * x] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetR(p) + clear));
                    row[3 * x + 1] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetG(p) + clear));
                    row[3 * x + 2] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetB(p) + clear));
                }
            }
        }
    }
    return true;
}

}  // namespace

RawPageCount CountTiffPages(const PagedInput& input) {
    RawPageCount result;
    OpenTiff tiff(input);
    if (!tiff.get()) {
        result.problem = kCorruptImage;
        return result;
    }
    // Counting stops at a damaged link of the page chain; the pages before it are read.
    const tdir_t pages = TIFFNumberOfDirectories(tiff.get());
    if (pages == 0) result.problem = kCorruptImage;
    result.pages = static_cast<int>(pages);
    return result;
}

RawDecode DecodeTiffPage(const PagedInput& input, int page) {
    RawDecode result;
    OpenTiff tiff(input);
    TIFF* tif = tiff.get();
    result.severalPages = page > 1;
    if (!tif || page < 1 || !TIFFSetDirectory(tif, static_cast<tdir_t>(page - 1))) {
        result.problem = kCorruptImage;
        return result;
    }
    result.severalPages = page > 1 || !TIFFLastDirectory(tif);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) {
        result.problem = kCorruptImage;
        return result;
    }
    const long long pixels = static_cast<long long>(width) * height;
    if (pixels > kMaxStoredPixels) {
        result.problem = TooLargeProblem(width, height, kMaxStoredPixels);
        return result;
    }

    std::uint16_t bits = 1, samples = 1, planar = PLANARCONFIG_CONTIG, photometric = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    const bool hasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) == 1;
    const bool grey = !hasPhotometric ? samples == 1
                                      : photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;

    // Grey and bilevel strips are reduced as they are read; anything else is read whole.
    const bool plainGrey = hasPhotometric && grey && samples == 1 && (bits == 1 || bits == 8) && !TIFFIsTiled(tif);
    bool read = false;
    if (plainGrey) {
        // A strip is read whole: one of a single-strip page as large as the page.
        if (TIFFStripSize(tif) > kMaxImagePixels) {
            result.problem = TooLargeProblem(width, height);
            return result;
        }
        GreyRows rows(width, height, ReductionFactor(width, height));
        read = ReadGreyStrips(tif, tiff.reports(), bits, photometric == PHOTOMETRIC_MINISWHITE, width, height, rows);
        result.pixels = rows.Take();
    } else {
        if (pixels > kMaxImagePixels) {
            result.problem = TooLargeProblem(width, height);
            return result;
        }
        result.pixels = PixelsFor(static_cast<int>(width), static_cast<int>(height), grey ? PixelFormat::Gray8 : PixelFormat::Rgb24);
        read = ReadThroughRgba(tif, tiff.reports(), grey, result.pixels);
    }
    if (!read) {
        result.pixels = PixelBuffer();
        result.problem = kCorruptImage;
    }
    return result;
}

}  // namespace quillmark::detail

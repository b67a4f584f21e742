// PDF through poppler's core library, rendered grey a page at a time. The core rather than
// poppler's C++ wrapper: only the core tells where a page's images lie and how many pixels
// they hold, which sets the resolution a scanned page is rendered at.
#include <GlobalParams.h>
#include <Error.h>
#include <ErrorCodes.h>
#include <GfxState.h>
#include <OutputDev.h>
#include <PDFDoc.h>
#include <Page.h>
#include <SplashOutputDev.h>
#include <Stream.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

// A page with no image covering at least this share of it is drawn, not scanned.
constexpr double kScannedShare = 0.25;
constexpr double kMaxDpi = 300;
constexpr double kDrawnPageDpi = 200;  // what the printed sheets are made for

// poppler reports through one global callback; what it says while this thread opens or
// renders a page lands here. Damaged image data (a stream cut short, a bad JPEG) only
// produces such a report and a page painted as far as it went.
thread_local bool* damageSeen = nullptr;

void OnPopplerMessage(ErrorCategory category, Goffset, const char*) {
    if (damageSeen && (category == errSyntaxError || category == errIO || category == errInternal)) *damageSeen = true;
}

void StartPoppler() {
    static std::once_flag started;
    std::call_once(started, [] {
        globalParams = std::make_unique<GlobalParams>();
        setErrorCallback(OnPopplerMessage);
    });
}

struct Watch {
    bool damaged = false;
    Watch() { damageSeen = &damaged; }
    ~Watch() { damageSeen = nullptr; }
};

std::unique_ptr<PDFDoc> OpenAnew(const PagedInput& input) {
    StartPoppler();
    if (input.path) return std::make_unique<PDFDoc>(std::make_unique<GooString>(input.path->c_str()));
    auto* stream = new MemStream(input.bytes.data(), 0, static_cast<Goffset>(input.bytes.size()), Object(objNull));
    return std::make_unique<PDFDoc>(stream);  // the document owns the stream
}

// The document a thread last opened from a file, kept for the next page it decodes:
// opening reads the cross-reference table and the page tree again, which costs more the
// more pages the file has. A document is used by one thread only; it is opened again when
// the file has changed (its size or time) since.
struct KeptDocument {
    std::filesystem::path path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    std::unique_ptr<PDFDoc> doc;
};
thread_local KeptDocument kept;

PDFDoc* Open(const PagedInput& input, std::unique_ptr<PDFDoc>& owned) {
    if (!input.path) {
        owned = OpenAnew(input);
        return owned.get();
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(*input.path, ec);
    const std::filesystem::file_time_type modified = ec ? std::filesystem::file_time_type() : std::filesystem::last_write_time(*input.path, ec);
    if (!ec && kept.doc && kept.path == *input.path && kept.size == size && kept.modified == modified) return kept.doc.get();
    kept = KeptDocument();
    std::unique_ptr<PDFDoc> doc = OpenAnew(input);
    if (ec || !doc->isOk()) {
        owned = std::move(doc);
        return owned.get();
    }
    kept.path = *input.path;
    kept.size = size;
    kept.modified = modified;
    kept.doc = std::move(doc);
    return kept.doc.get();
}

std::string OpenProblem(PDFDoc& doc) {
    if (doc.isOk()) return "";
    if (doc.getErrorCode() == errEncrypted) return "PDF文件有密码保护";
    return kCorruptImage;
}

// The engine's luminance of a colour (see Luminance), in integers: halves to even.
std::uint8_t Grey(unsigned r, unsigned g, unsigned b) {
    const unsigned sum = 9798 * r + 19235 * g + 3735 * b;
    unsigned quotient = sum >> 15;
    const unsigned remainder = sum & 32767;
    if (remainder > 16384 || (remainder == 16384 && (quotient & 1))) ++quotient;
    return static_cast<std::uint8_t>(quotient);
}

// Finds the largest image drawn on a page and how many of its pixels fall on an inch.
// Nothing is drawn and image data is never decoded, except that of a scan: when `take` is
// set, a page that is a single image filling it, upright, with nothing else drawn, has
// that image's pixels taken in grey as they are (rendering would resample and convert
// every pixel for the same result).
class ImageFinder : public OutputDev {
public:
    ImageFinder(const PagedInput& input, double pageWidth, double pageHeight, bool take)
        : input_(input), pageWidth_(pageWidth), pageHeight_(pageHeight), take_(take) {}

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return false; }
    bool interpretType3Chars() override { return false; }

    void stroke(GfxState*) override { painted_ = true; }
    void fill(GfxState*) override { painted_ = true; }
    void eoFill(GfxState*) override { painted_ = true; }
    void beginString(GfxState* state, const GooString*) override { Text(state); }
    void drawString(GfxState* state, const GooString*) override { Text(state); }
    void beginTransparencyGroup(GfxState*, const double*, GfxColorSpace*, bool, bool, bool) override { painted_ = true; }
    void setSoftMask(GfxState*, const double*, bool, Function*, GfxColor*) override { painted_ = true; }

    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert, bool interpolate,
                       bool inlineImg) override {
        Note(state, width, height);
        painted_ = true;
        OutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);  // skips inline data
    }
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        Note(state, width, height);
        const bool first = !painted_;
        painted_ = true;
        const double* m = state->getCTM();
        const bool fine = std::max(width * 72.0 / std::abs(m[0]), height * 72.0 / std::abs(m[3])) > kMaxDpi;  // rendered coarser
        if (take_ && first && !inlineImg && !maskColors && FillsPageUpright(state) && !fine) {
            Take(str, width, height, colorMap);
            return;
        }
        OutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }
    void drawMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*, int,
                         int, bool, bool) override {
        Note(state, width, height);
        painted_ = true;
    }
    void drawSoftMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*,
                             int, int, GfxImageColorMap*, bool) override {
        Note(state, width, height);
        painted_ = true;
    }

    double area = 0;  // square points covered by the largest image
    double dpi = 0;   // its pixels per inch, the finer direction

    // The page's only drawing, taken in grey; empty when the page must be rendered.
    PixelBuffer TakePixels() {
        if (painted_ != taken_) pixels_ = PixelBuffer();  // something more was drawn after the image
        return std::move(pixels_);
    }

private:
    // At 72 dpi the transformation takes the image's unit square to points.
    void Note(GfxState* state, int width, int height) {
        const double* m = state->getCTM();
        const double across = std::hypot(m[0], m[1]);
        const double down = std::hypot(m[2], m[3]);
        if (across <= 0 || down <= 0 || across * down <= area) return;
        area = across * down;
        dpi = std::max(width * 72.0 / across, height * 72.0 / down);
    }

    // Invisible text (that of a recognised scan) paints nothing.
    void Text(GfxState* state) {
        if ((state->getRender() & 3) != 3) painted_ = true;
    }

    // The image's first row on top, no turn or mirror, the page covered to within a point,
    // nothing clipped off, drawn opaque.
    bool FillsPageUpright(GfxState* state) const {
        const double* m = state->getCTM();
        constexpr double kPoint = 1;
        if (std::abs(m[1]) > 1e-6 || std::abs(m[2]) > 1e-6 || m[0] <= 0 || m[3] >= 0) return false;
        const bool covers = std::abs(m[4]) <= kPoint && std::abs(m[4] + m[0] - pageWidth_) <= kPoint &&
                            std::abs(m[5] + m[3]) <= kPoint && std::abs(m[5] - pageHeight_) <= kPoint;
        double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        state->getClipBBox(&xMin, &yMin, &xMax, &yMax);
        const bool unclipped = xMin <= kPoint && yMin <= kPoint && xMax >= pageWidth_ - kPoint && yMax >= pageHeight_ - kPoint;
        return covers && unclipped && state->getFillOpacity() == 1 && state->getBlendMode() == gfxBlendNormal;
    }

    void Take(Stream* str, int width, int height, GfxImageColorMap* colorMap) {
        if (!colorMap || !colorMap->isOk() || static_cast<long long>(width) * height > kMaxImagePixels) return;
        const int comps = colorMap->getNumPixelComps();
        const int bits = colorMap->getBits();
        if (comps < 1 || bits < 1 || bits > 8) return;
        // One sample of grey or of 8-bit RGB: a table, or the engine's own luminance weights;
        // anything else (a palette, CMYK, a decode array) through poppler, a pixel at a time.
        bool plainRgb = comps == 3 && bits == 8 && colorMap->getColorSpace()->getMode() == csDeviceRGB;
        for (int i = 0; i < comps && plainRgb; ++i) {
            plainRgb = colorMap->getDecodeLow(i) == 0 && colorMap->getDecodeHigh(i) == 1;
        }
        std::array<std::uint8_t, 256> table{};
        if (comps == 1) {
            for (int v = 0; v < (1 << bits); ++v) {
                const unsigned char sample = static_cast<unsigned char>(v);
                GfxGray grey;
                colorMap->getGray(&sample, &grey);
                table[static_cast<std::size_t>(v)] = colToByte(grey);
            }
        }
        if (TakeJpeg(str, width, height, colorMap, plainRgb || (comps == 1 && bits == 8))) return;
        PixelBuffer out = PixelsFor(width, height, PixelFormat::Gray8);
        ImageStream stream(str, width, comps, bits);
        stream.reset();
        for (int y = 0; y < height; ++y) {
            const unsigned char* line = stream.getLine();
            if (!line) {
                stream.close();
                return;  // cut short: rendering reports it
            }
            std::uint8_t* row = out.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride);
            if (comps == 1) {
                for (int x = 0; x < width; ++x) row[x] = table[line[x]];
            } else if (plainRgb) {
                for (int x = 0; x < width; ++x) row[x] = Grey(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
            } else {
                for (int x = 0; x < width; ++x) {
                    GfxGray grey;
                    colorMap->getGray(line + static_cast<std::ptrdiff_t>(x) * comps, &grey);
                    row[x] = colToByte(grey);
                }
            }
        }
        stream.close();
        pixels_ = std::move(out);
        taken_ = true;
    }

    // Most scanners store a page as a JPEG image: its bytes go to the program's own JPEG
    // decoder, which decodes the luminance alone.
    bool TakeJpeg(Stream* str, int width, int height, GfxImageColorMap* colorMap, bool plain) {
        const GfxColorSpaceMode mode = colorMap->getColorSpace()->getMode();
        if (str->getKind() != strDCT || !plain || !(mode == csDeviceGray || mode == csDeviceRGB || mode == csICCBased)) {
            return false;
        }
        for (int i = 0; i < colorMap->getNumPixelComps(); ++i) {
            if (colorMap->getDecodeLow(i) != 0 || colorMap->getDecodeHigh(i) != 1) return false;
        }
        Stream* encoded = str->getNextStream();
        if (!encoded) return false;
        std::string bytes;
        if (!ReadStored(encoded, str, bytes)) {
            encoded->reset();
            unsigned char chunk[65536];
            for (int got; (got = encoded->doGetChars(sizeof chunk, chunk)) > 0;) bytes.append(reinterpret_cast<char*>(chunk), static_cast<std::size_t>(got));
            encoded->close();
        }
        RawDecode jpeg = DecodeJpeg(bytes);
        if (!jpeg.problem.empty() || jpeg.pixels.width != width || jpeg.pixels.height != height ||
            jpeg.pixels.format != PixelFormat::Gray8) {
            return false;  // poppler decodes it, and reports what is wrong with it
        }
        pixels_ = std::move(jpeg.pixels);
        taken_ = true;
        return true;
    }

    // The bytes of an image stored without a further filter, read at once from where they
    // lie: poppler reads a file 256 bytes a call.
    bool ReadStored(Stream* encoded, Stream* image, std::string& bytes) const {
        if (encoded->getBaseStream() != encoded || !image->getDict()) return false;
        const Object length = image->getDict()->lookup("Length");
        const Goffset start = encoded->getBaseStream()->getStart();
        if (!length.isInt() || length.getInt() <= 0 || start < 0) return false;
        const std::size_t size = static_cast<std::size_t>(length.getInt());
        if (input_.path) {
            std::ifstream in(*input_.path, std::ios::binary);
            bytes.resize(size);
            if (!in.seekg(start) || !in.read(bytes.data(), static_cast<std::streamsize>(size))) return false;
            return true;
        }
        if (static_cast<std::size_t>(start) > input_.bytes.size() || size > input_.bytes.size() - static_cast<std::size_t>(start)) return false;
        bytes.assign(input_.bytes.substr(static_cast<std::size_t>(start), size));
        return true;
    }

    const PagedInput& input_;
    double pageWidth_, pageHeight_;
    bool take_;
    bool painted_ = false;
    bool taken_ = false;
    PixelBuffer pixels_;
};

}  // namespace

RawPageCount CountPdfPages(const PagedInput& input) {
    RawPageCount result;
    std::unique_ptr<PDFDoc> owned;
    PDFDoc* doc = Open(input, owned);
    result.problem = OpenProblem(*doc);
    if (!result.problem.empty()) return result;
    result.pages = doc->getNumPages();
    if (result.pages <= 0) result.problem = kCorruptImage;
    return result;
}

RawDecode DecodePdfPage(const PagedInput& input, int page) {
    RawDecode result;
    std::unique_ptr<PDFDoc> owned;
    PDFDoc* doc = Open(input, owned);
    result.problem = OpenProblem(*doc);
    if (!result.problem.empty()) return result;
    result.severalPages = doc->getNumPages() > 1;
    if (page < 1 || page > doc->getNumPages() || !doc->getPage(page)) {
        result.problem = kCorruptImage;
        return result;
    }
    // Messages about the file as a whole (a rebuilt cross-reference table) came before;
    // from here on they are about this page.
    Watch watch;
    const double pageWidth = doc->getPageCropWidth(page);
    const double pageHeight = doc->getPageCropHeight(page);
    if (!(pageWidth > 0 && pageHeight > 0)) {
        result.problem = kCorruptImage;
        return result;
    }

    ImageFinder finder(input, pageWidth, pageHeight, true);
    doc->displayPage(&finder, page, 72, 72, 0, false, true, false);
    double dpi = kDrawnPageDpi;
    if (finder.area >= kScannedShare * pageWidth * pageHeight) dpi = std::min(kMaxDpi, finder.dpi);  // never enlarged
    // A scan no finer than the rendering would be is taken as it is stored.
    PixelBuffer scan = finder.TakePixels();
    if (watch.damaged) {
        result.problem = kCorruptImage;
        return result;
    }
    if (!scan.bytes.empty() && finder.dpi <= kMaxDpi) {
        result.pixels = std::move(scan);
        return result;
    }

    const double width = std::ceil(pageWidth * dpi / 72);
    const double height = std::ceil(pageHeight * dpi / 72);
    if (width * height > static_cast<double>(kMaxImagePixels) || width < 1 || height < 1) {
        result.problem = TooLargeProblem(static_cast<long long>(width), static_cast<long long>(height));
        return result;
    }

    SplashColor paper;
    paper[0] = 255;
    SplashOutputDev renderer(splashModeMono8, 1, false, paper);
    renderer.startDoc(doc);
    doc->displayPage(&renderer, page, dpi, dpi, 0, false, true, false);
    SplashBitmap* bitmap = renderer.getBitmap();
    if (watch.damaged || !bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
        result.problem = kCorruptImage;
        return result;
    }
    PixelBuffer& out = result.pixels;
    out = PixelsFor(bitmap->getWidth(), bitmap->getHeight(), PixelFormat::Gray8);
    const unsigned char* data = bitmap->getDataPtr();
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride),
                    data + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize(), static_cast<std::size_t>(out.width));
    }
    return result;
}

}  // namespace quillmark::detail

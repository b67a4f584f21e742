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
#include <cmath>
#include <cstring>
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

std::unique_ptr<PDFDoc> Open(const PagedInput& input) {
    StartPoppler();
    if (input.path) return std::make_unique<PDFDoc>(std::make_unique<GooString>(input.path->c_str()));
    auto* stream = new MemStream(input.bytes.data(), 0, static_cast<Goffset>(input.bytes.size()), Object(objNull));
    return std::make_unique<PDFDoc>(stream);  // the document owns the stream
}

std::string OpenProblem(PDFDoc& doc) {
    if (doc.isOk()) return "";
    if (doc.getErrorCode() == errEncrypted) return "PDF文件有密码保护";
    return kCorruptImage;
}

// Finds the largest image drawn on a page and how many of its pixels fall on an inch.
// Nothing is drawn and image data is never decoded.
class ImageFinder : public OutputDev {
public:
    bool upsideDown() override { return true; }
    bool useDrawChar() override { return false; }
    bool interpretType3Chars() override { return false; }

    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert, bool interpolate,
                       bool inlineImg) override {
        Note(state, width, height);
        OutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);  // skips inline data
    }
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        Note(state, width, height);
        OutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }
    void drawMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*, int,
                         int, bool, bool) override {
        Note(state, width, height);
    }
    void drawSoftMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*,
                             int, int, GfxImageColorMap*, bool) override {
        Note(state, width, height);
    }

    double area = 0;  // square points covered by the largest image
    double dpi = 0;   // its pixels per inch, the finer direction

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
};

}  // namespace

RawPageCount CountPdfPages(const PagedInput& input) {
    RawPageCount result;
    std::unique_ptr<PDFDoc> doc = Open(input);
    result.problem = OpenProblem(*doc);
    if (!result.problem.empty()) return result;
    result.pages = doc->getNumPages();
    if (result.pages <= 0) result.problem = kCorruptImage;
    return result;
}

RawDecode DecodePdfPage(const PagedInput& input, int page) {
    RawDecode result;
    std::unique_ptr<PDFDoc> doc = Open(input);
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

    ImageFinder finder;
    doc->displayPage(&finder, page, 72, 72, 0, false, true, false);
    double dpi = kDrawnPageDpi;
    if (finder.area >= kScannedShare * pageWidth * pageHeight) dpi = std::min(kMaxDpi, finder.dpi);  // never enlarged

    const double width = std::ceil(pageWidth * dpi / 72);
    const double height = std::ceil(pageHeight * dpi / 72);
    if (width * height > static_cast<double>(kMaxImagePixels) || width < 1 || height < 1) {
        result.problem = TooLargeProblem(static_cast<long long>(width), static_cast<long long>(height));
        return result;
    }

    SplashColor paper;
    paper[0] = 255;
    SplashOutputDev renderer(splashModeMono8, 1, false, paper);
    renderer.startDoc(doc.get());
    doc->displayPage(&renderer, page, dpi, dpi, 0, false, true, false);
    SplashBitmap* bitmap = renderer.getBitmap();
    if (watch.damaged || !bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
        result.problem = kCorruptImage;
        return result;
    }
    PixelBuffer& out = result.pixels;
    out = PixelBuffer::Blank(bitmap->getWidth(), bitmap->getHeight(), PixelFormat::Gray8);
    const unsigned char* data = bitmap->getDataPtr();
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.stride),
                    data + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize(), static_cast<std::size_t>(out.width));
    }
    return result;
}

}  // namespace quillmark::detail

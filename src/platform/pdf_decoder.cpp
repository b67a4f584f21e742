// PDF through poppler's core library, rendered grey a page at a time. The core rather than
// poppler's C++ wrapper: only the core tells where a page's images lie and how many pixels
// they hold, which sets the resolution a scanned page is rendered at, and lets each drawing
// operation be weighed before it runs.
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

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

// A page with no image covering at least this share of it is drawn, not scanned.
constexpr double kScannedShare = 0.25;
constexpr double kMaxDpi = 300;
constexpr double kDrawnPageDpi = 200;  // what the printed sheets are made for

// poppler reports through one global callback (so it prints nothing itself); what it says
// while this thread opens or renders a page lands here. Damaged image data (a stream cut
// short, a bad JPEG) only produces such a report and a page painted as far as it went.
thread_local bool* damageSeen = nullptr;

void OnPopplerMessage(ErrorCategory category, Goffset, const char*) {
    if (damageSeen && (category == errSyntaxError || category == errIO || category == errInternal)) *damageSeen = true;
}

void StartPoppler() {
    static std::once_flag started;
    std::call_once(started, [] {
        setErrorCallback(OnPopplerMessage);
        globalParams = std::make_unique<GlobalParams>();
        globalParams->setErrQuiet(true);
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

Status OpenStatus(PDFDoc& doc) {
    if (doc.isOk()) return Status::Ok();
    if (doc.getErrorCode() == errEncrypted) return Status::Error(UI_TEXT_NOOP("ImageFiles", "PDF文件有密码保护"));
    return Status::Error(kCorruptImage);
}

std::string Megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

std::string ContentTooLargeProblem(std::size_t limit) {
    return FillForm(UiText("ImageFiles", "页面内容过大（解压后超过%1）"), {Megabytes(limit)});
}

Status MemoryProblem(const PageLimits& limits) {
    return Status::Error(FillForm(UiText("ImageFiles", "页面绘制所需内存超过%1，已放弃此页"), {Megabytes(limits.drawingBytes)}));
}

std::string ImageTooLargeProblem(double width, double height) {
    return FillForm(UiText("ImageFiles", "页面中的图像太大（%1×%2像素）"),
                    {std::to_string(static_cast<long long>(std::min(width, 1e15))),
                     std::to_string(static_cast<long long>(std::min(height, 1e15)))});
}

// The process's resident memory, from the kernel's count of its pages.
std::size_t ResidentBytes() {
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[128] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0) return 0;
    unsigned long long total = 0, resident = 0;
    if (std::sscanf(text, "%llu %llu", &total, &resident) != 2) return 0;
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// What one page may cost: the clock for the whole page, and the memory its drawing takes.
// poppler asks between operators whether to go on; an operator that would take too much
// memory at once is weighed and refused before it runs, since nothing stops it midway.
// The process's growth is watched too, for what adds up over many operators.
class PageGuard {
public:
    explicit PageGuard(const PageLimits& limits) : limits_(limits), deadline_(limits.seconds), baseline_(ResidentBytes()) {
        ++inWork_;
    }
    ~PageGuard() { --inWork_; }
    PageGuard(const PageGuard&) = delete;
    PageGuard& operator=(const PageGuard&) = delete;

    const PageLimits& limits() const { return limits_; }
    const Status& problem() const { return problem_; }

    // The rendered page's pixels are held twice (poppler's bitmap and the copy handed on).
    void AllowPixels(double pixels) { allowance_ = static_cast<double>(limits_.drawingBytes) + 2 * pixels + kSlack; }

    bool Refused() {
        if (!problem_.ok()) return true;
        if (deadline_.Passed()) {
            problem_ = TimeoutProblem(limits_);
        } else if (++checks_ % 32 == 0 && baseline_ > 0) {
            // The process's memory is shared by the pages decoded at once on other threads.
            const std::size_t now = ResidentBytes();
            const double allowed = allowance_ * std::max(1, inWork_.load());
            if (now > baseline_ && static_cast<double>(now - baseline_) > allowed) problem_ = MemoryProblem(limits_);
        }
        return !problem_.ok();
    }

    // Whether an operation needing `bytes` at once may run.
    bool Affords(double bytes) {
        if (Refused()) return false;
        if (!(bytes <= static_cast<double>(limits_.drawingBytes))) problem_ = MemoryProblem(limits_);
        return problem_.ok();
    }

    void Refuse(std::string problem) {
        if (problem_.ok()) problem_ = Status::Error(std::move(problem));
    }

    static bool AbortCheck(void* guard) { return static_cast<PageGuard*>(guard)->Refused(); }

private:
    static constexpr double kSlack = 64.0 * (1 << 20);  // poppler's fonts and caches
    static inline std::atomic<int> inWork_{0};
    const PageLimits& limits_;
    Deadline deadline_;
    std::size_t baseline_;
    double allowance_ = static_cast<double>(limits_.drawingBytes) + static_cast<double>(kMaxImagePixels) + kSlack;
    unsigned checks_ = 0;
    Status problem_;
};

// Reads a stream's decoded bytes, at most `limit` of them; how many there were, or
// limit + 1 when there were more.
std::size_t DecodedSize(Stream* stream, std::size_t limit, PageGuard& guard, std::string* keep = nullptr) {
    std::size_t size = 0;
    stream->reset();
    unsigned char chunk[65536];
    for (int got; size <= limit && (got = stream->doGetChars(sizeof chunk, chunk)) > 0;) {
        if (keep) keep->append(reinterpret_cast<char*>(chunk), static_cast<std::size_t>(got));
        size += static_cast<std::size_t>(got);
        if (guard.Refused()) break;
    }
    stream->close();
    return std::min(size, limit + 1);
}

// What a page's drawing will read, weighed before poppler parses it: the content streams
// (the page's and those of its forms, tiling patterns, Type 3 glyphs, soft masks and
// annotations) decoded, and what mesh shadings, sampled functions and images will take in
// memory once poppler reads them. Each object once: what is drawn again and again costs
// time, which the clock bounds.
class ContentCheck {
public:
    explicit ContentCheck(PageGuard& guard) : guard_(guard) {}

    void Check(Page& page) {
        Contents(page.getContents());
        Resources(*page.getResourceDictObject(), Ref::INVALID());
        const Object annots = page.getAnnotsObject();
        if (!annots.isArray()) return;
        for (int i = 0; i < annots.getArray()->getLength() && Going(); ++i) {
            const Object annot = annots.getArray()->get(i);
            if (!annot.isDict()) continue;
            const Object appearances = annot.getDict()->lookup("AP");
            if (!appearances.isDict()) continue;
            for (int k = 0; k < appearances.getDict()->getLength(); ++k) {
                Ref ref;
                const Object appearance = appearances.getDict()->getVal(k, &ref);
                if (appearance.isStream()) {
                    Form(appearance, ref);
                } else if (appearance.isDict()) {
                    EachOf(appearance, [this](const Object& state, Ref r) { Form(state, r); });
                }
            }
        }
    }

private:
    static constexpr int kMaxDepth = 32;
    static constexpr std::size_t kMaxCalculatorBytes = 64 << 10;
    static constexpr int kMaxStitched = 1024;

    bool Going() { return !guard_.Refused(); }

    bool First(Ref ref) { return ref == Ref::INVALID() || visited_.insert({ref.num, ref.gen}).second; }

    template <typename F>
    void EachOf(const Object& dict, F f) {
        if (!dict.isDict()) return;
        for (int i = 0; i < dict.getDict()->getLength() && Going(); ++i) {
            Ref ref;
            const Object value = dict.getDict()->getVal(i, &ref);
            f(value, ref);
        }
    }

    template <typename F>
    void EachIn(Dict& dict, const char* key, F f) {
        Ref ref;
        const Object entries = dict.lookup(key, &ref);
        if (First(ref)) EachOf(entries, f);
    }

    void Content(Stream* stream) {
        const std::size_t limit = guard_.limits().contentBytes;
        contentBytes_ += DecodedSize(stream, limit - std::min(limit, contentBytes_), guard_);
        if (contentBytes_ > limit) guard_.Refuse(ContentTooLargeProblem(limit));
    }

    void Contents(const Object& contents) {
        if (contents.isStream()) Content(contents.getStream());
        if (!contents.isArray()) return;
        for (int i = 0; i < contents.getArray()->getLength() && Going(); ++i) {
            const Object piece = contents.getArray()->get(i);
            if (piece.isStream()) Content(piece.getStream());
        }
    }

    void Form(const Object& form, Ref ref) {
        if (!form.isStream() || !First(ref) || depth_ > kMaxDepth) return;
        ++depth_;
        Content(form.getStream());
        Ref resources;
        const Object dict = form.getStream()->getDict()->lookup("Resources", &resources);
        Resources(dict, resources);
        --depth_;
    }

    void Resources(const Object& resources, Ref ref) {
        if (!resources.isDict() || !First(ref) || !Going()) return;
        Dict& dict = *resources.getDict();
        EachIn(dict, "XObject", [this](const Object& x, Ref r) {
            if (!x.isStream()) return;
            const Object subtype = x.getStream()->getDict()->lookup("Subtype");
            if (subtype.isName("Form")) Form(x, r);
            else if (subtype.isName("Image")) Image(x, r);
        });
        EachIn(dict, "Pattern", [this](const Object& pattern, Ref r) {
            if (pattern.isStream()) Form(pattern, r);  // a tiling pattern's cell
            if (!pattern.isDict() || !First(r)) return;
            Ref shading;
            const Object sh = pattern.getDict()->lookup("Shading", &shading);
            Shading(sh, shading);
        });
        EachIn(dict, "Shading", [this](const Object& sh, Ref r) { Shading(sh, r); });
        EachIn(dict, "Font", [this](const Object& font, Ref r) {
            if (!font.isDict() || !First(r) || !font.getDict()->lookup("Subtype").isName("Type3")) return;
            EachOf(font.getDict()->lookup("CharProcs"), [this](const Object& glyph, Ref g) {
                if (glyph.isStream() && First(g)) Content(glyph.getStream());
            });
            Ref inner;
            const Object fontResources = font.getDict()->lookup("Resources", &inner);
            Resources(fontResources, inner);
        });
        EachIn(dict, "ExtGState", [this](const Object& gs, Ref r) {
            if (!gs.isDict() || !First(r)) return;
            for (const char* key : {"TR", "TR2"}) Function(gs.getDict()->lookup(key), 0);
            const Object mask = gs.getDict()->lookup("SMask");
            if (!mask.isDict()) return;
            Function(mask.getDict()->lookup("TR"), 0);
            Ref group;
            const Object g = mask.getDict()->lookup("G", &group);
            Form(g, group);
        });
        EachIn(dict, "ColorSpace", [this](const Object& cs, Ref) { ColourSpace(cs, 0); });
    }

    void ColourSpace(const Object& cs, int depth) {
        if (!cs.isArray() || cs.getArray()->getLength() < 2 || depth > 4) return;
        const Object family = cs.getArray()->get(0);
        if ((family.isName("Separation") || family.isName("DeviceN")) && cs.getArray()->getLength() >= 4) {
            ColourSpace(cs.getArray()->get(2), depth + 1);
            Function(cs.getArray()->get(3), 0);
        } else if (family.isName("Indexed") || family.isName("I") || family.isName("Pattern")) {
            ColourSpace(cs.getArray()->get(1), depth + 1);
        }
    }

    // Sampled functions hold every sample; a calculator function's program and a stitching
    // function's parts are run for every pixel a shading covers.
    void Function(const Object& f, int depth) {
        if (depth > 8 || !Going()) return;
        if (f.isArray()) {
            if (f.getArray()->getLength() > kMaxStitched) guard_.Refuse(UI_TEXT_NOOP("ImageFiles", "页面中的函数过于复杂"));
            for (int i = 0; i < f.getArray()->getLength() && Going(); ++i) Function(f.getArray()->get(i), depth + 1);
            return;
        }
        Dict* dict = f.isStream() ? f.getStream()->getDict() : f.isDict() ? f.getDict() : nullptr;
        if (!dict) return;
        const Object type = dict->lookup("FunctionType");
        if (!type.isInt()) return;
        if (type.getInt() == 0) {
            const Object size = dict->lookup("Size");
            const Object range = dict->lookup("Range");
            if (!size.isArray() || !range.isArray()) return;
            double samples = std::max(1, range.getArray()->getLength() / 2);
            for (int i = 0; i < size.getArray()->getLength(); ++i) {
                samples *= std::max(1.0, size.getArray()->get(i).getNumWithDefaultValue(1));
            }
            if (!guard_.Affords(samples * sizeof(double))) return;
        } else if (type.getInt() == 3) {
            Function(dict->lookup("Functions"), depth + 1);
        } else if (type.getInt() == 4 && f.isStream()) {
            if (DecodedSize(f.getStream(), kMaxCalculatorBytes, guard_) > kMaxCalculatorBytes) {
                guard_.Refuse(UI_TEXT_NOOP("ImageFiles", "页面中的函数过于复杂"));
            }
        }
    }

    // A mesh shading's vertices or patches are all read into memory, each far larger than
    // the bits it is stored in.
    void Shading(const Object& sh, Ref ref) {
        if (!First(ref) || !Going()) return;
        Dict* dict = sh.isStream() ? sh.getStream()->getDict() : sh.isDict() ? sh.getDict() : nullptr;
        if (!dict) return;
        Function(dict->lookup("Function"), 0);
        ColourSpace(dict->lookup("ColorSpace"), 0);
        const int type = static_cast<int>(dict->lookup("ShadingType").getNumWithDefaultValue(0));
        if (!sh.isStream() || type < 4 || type > 7) return;
        const std::size_t limit = guard_.limits().contentBytes;
        const std::size_t bytes = DecodedSize(sh.getStream(), limit, guard_);
        if (bytes > limit) {
            guard_.Refuse(ContentTooLargeProblem(limit));
            return;
        }
        const double bits = 8.0 * static_cast<double>(bytes);
        const double coordinate = std::clamp(dict->lookup("BitsPerCoordinate").getNumWithDefaultValue(1), 1.0, 32.0);
        const double flag = type == 5 ? 0 : std::clamp(dict->lookup("BitsPerFlag").getNumWithDefaultValue(2), 2.0, 8.0);
        double count = 0, each = 0;
        switch (type) {
            case 4: count = bits / (flag + 2 * coordinate), each = sizeof(GfxGouraudVertex) + 3 * sizeof(int); break;
            case 5: count = bits / (2 * coordinate), each = sizeof(GfxGouraudVertex) + 6 * sizeof(int); break;
            case 6: count = bits / (flag + 16 * coordinate), each = sizeof(GfxPatch); break;
            default: count = bits / (flag + 24 * coordinate), each = sizeof(GfxPatch); break;
        }
        guard_.Affords(count * each);
    }

    // Images are decoded a row at a time, except where the codec holds the whole image:
    // JPEG 2000, and progressive JPEG (every coefficient until the last scan). Their own
    // headers, not the dictionary, give the size poppler will decode.
    void Image(const Object& image, Ref ref) {
        if (!First(ref) || !Going()) return;
        Dict& dict = *image.getStream()->getDict();
        const double width = dict.lookup("Width").getNumWithDefaultValue(0);
        const double height = dict.lookup("Height").getNumWithDefaultValue(0);
        if (width * height > static_cast<double>(kMaxStoredPixels)) {
            guard_.Refuse(ImageTooLargeProblem(width, height));
            return;
        }
        ColourSpace(dict.lookup("ColorSpace"), 0);
        for (const char* key : {"SMask", "Mask"}) {
            Ref maskRef;
            const Object mask = dict.lookup(key, &maskRef);
            if (mask.isStream() && depth_ < kMaxDepth) {
                ++depth_;
                Image(mask, maskRef);
                --depth_;
            }
        }
        Stream* stream = image.getStream();
        if (stream->getKind() != strJPX && stream->getKind() != strDCT) return;
        Stream* encoded = stream->getNextStream();
        if (!encoded) return;
        std::string head;
        DecodedSize(encoded, kHeaderBytes, guard_, &head);
        const double held = stream->getKind() == strJPX ? JpxBytes(head) : ProgressiveJpegBytes(head);
        guard_.Affords(held);
    }

    static constexpr std::size_t kHeaderBytes = 1 << 20;

    static double Be(const std::string& b, std::size_t at, int n) {
        double v = 0;
        for (int i = 0; i < n; ++i) v = v * 256 + static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
        return v;
    }

    // The codestream's image size (SIZ), four bytes a sample as the decoder holds them.
    static double JpxBytes(const std::string& head) {
        const std::size_t siz = head.find(std::string("\xFF\x4F\xFF\x51", 4));
        if (siz == std::string::npos || siz + 42 > head.size()) return 0;
        const std::size_t at = siz + 4;
        const double width = Be(head, at + 4, 4) - Be(head, at + 12, 4);
        const double height = Be(head, at + 8, 4) - Be(head, at + 16, 4);
        const double components = Be(head, at + 36, 2);
        return std::max(0.0, width) * std::max(0.0, height) * components * 4;
    }

    // A progressive JPEG's coefficients: two bytes a sample of every component.
    static double ProgressiveJpegBytes(const std::string& head) {
        for (std::size_t at = 2; at + 4 <= head.size();) {
            if (static_cast<unsigned char>(head[at]) != 0xFF) return 0;
            const unsigned marker = static_cast<unsigned char>(head[at + 1]);
            if (marker == 0xFF) {
                ++at;
                continue;
            }
            const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                if (at + 10 > head.size()) return 0;
                const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
                const double height = Be(head, at + 5, 2), width = Be(head, at + 7, 2), components = Be(head, at + 9, 1);
                return progressive ? width * height * components * 2 : 0;
            }
            at += 2 + static_cast<std::size_t>(Be(head, at + 2, 2));
        }
        return 0;
    }

    PageGuard& guard_;
    std::set<std::pair<int, int>> visited_;
    std::size_t contentBytes_ = 0;
    int depth_ = 0;
};

// Finds the largest image drawn on a page and how many of its pixels fall on an inch.
// Nothing is drawn and image data is never decoded, except that of a scan: a page whose
// drawing is one image filling it, upright, opaque, with nothing drawn before or after it
// and nothing clipping or masking it, has that image's pixels taken in grey as they are
// (rendering would resample and convert every pixel for the same result). Anything else is
// rendered, so the page reads as it shows.
class ImageFinder : public OutputDev {
public:
    ImageFinder(const PagedInput& input, double pageWidth, double pageHeight, PageGuard& guard)
        : input_(input), pageWidth_(pageWidth), pageHeight_(pageHeight), guard_(guard) {}

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return false; }
    bool interpretType3Chars() override { return false; }
    // Patterns and shadings are noted, not drawn piece by piece.
    bool useTilingPatternFill() override { return true; }
    bool useShadedFills(int) override { return true; }

    void stroke(GfxState*) override { Painted(); }
    void fill(GfxState*) override { Painted(); }
    void eoFill(GfxState*) override { Painted(); }
    bool tilingPatternFill(GfxState*, Gfx*, Catalog*, GfxTilingPattern*, const double*, int, int, int, int, double,
                           double) override {
        Painted();
        return true;
    }
    bool functionShadedFill(GfxState*, GfxFunctionShading*) override { return Shaded(); }
    bool axialShadedFill(GfxState*, GfxAxialShading*, double, double) override { return Shaded(); }
    bool axialShadedSupportExtend(GfxState*, GfxAxialShading*) override { return true; }
    bool radialShadedFill(GfxState*, GfxRadialShading*, double, double) override { return Shaded(); }
    bool radialShadedSupportExtend(GfxState*, GfxRadialShading*) override { return true; }
    bool gouraudTriangleShadedFill(GfxState*, GfxGouraudTriangleShading*) override { return Shaded(); }
    bool patchMeshShadedFill(GfxState*, GfxPatchMeshShading*) override { return Shaded(); }

    void clip(GfxState* state) override { Clip(state); }
    void eoClip(GfxState* state) override { Clip(state); }
    void clipToStrokePath(GfxState*) override { clipped_ = true; }
    void beginString(GfxState* state, const GooString*) override { Text(state); }
    void drawString(GfxState* state, const GooString*) override { Text(state); }
    void beginTransparencyGroup(GfxState*, const double*, GfxColorSpace*, bool, bool, bool) override { Layered(); }
    void setSoftMask(GfxState*, const double*, bool, Function*, GfxColor*) override { Layered(); }

    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert, bool interpolate,
                       bool inlineImg) override {
        Note(state, width, height);
        Painted();
        if (Affordable(width, height)) {
            OutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);  // skips inline data
        }
    }
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        Note(state, width, height);
        const bool first = !painted_;
        Painted();
        if (!Affordable(width, height)) return;
        const double* m = state->getCTM();
        const bool fine = std::max(width * 72.0 / std::abs(m[0]), height * 72.0 / std::abs(m[3])) > kMaxDpi;  // rendered coarser
        if (first && !clipped_ && !layered_ && !inlineImg && !maskColors && FillsPageUpright(state) && !fine) {
            Take(str, width, height, colorMap);
            return;
        }
        OutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }
    void drawMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*, int,
                         int, bool, bool) override {
        Note(state, width, height);
        Painted();
    }
    void drawSoftMaskedImage(GfxState* state, Object*, Stream*, int width, int height, GfxImageColorMap*, bool, Stream*,
                             int, int, GfxImageColorMap*, bool) override {
        Note(state, width, height);
        Painted();
    }

    double area = 0;  // square points covered by the largest image
    double dpi = 0;   // its pixels per inch, the finer direction

    // The page's only drawing, taken in grey; empty when the page must be rendered.
    PixelBuffer TakePixels() {
        PixelBuffer pixels = std::exchange(pixels_, PixelBuffer());
        return taken_ && !spoiled_ ? std::move(pixels) : PixelBuffer();
    }

private:
    // Anything drawn after the image hides or changes some of it.
    void Painted() {
        if (taken_) spoiled_ = true;
        painted_ = true;
    }
    bool Shaded() {
        Painted();
        return true;
    }
    void Layered() {
        layered_ = true;
        Painted();
    }

    // An inline image's data is skipped by reading it: one too large to read is refused.
    bool Affordable(int width, int height) {
        if (static_cast<double>(width) * height <= static_cast<double>(kMaxStoredPixels)) return true;
        guard_.Refuse(ImageTooLargeProblem(width, height));
        return false;
    }

    // At 72 dpi the transformation takes the image's unit square to points.
    void Note(GfxState* state, int width, int height) {
        const double* m = state->getCTM();
        const double across = std::hypot(m[0], m[1]);
        const double down = std::hypot(m[2], m[3]);
        if (across <= 0 || down <= 0 || across * down <= area) return;
        area = across * down;
        dpi = std::max(width * 72.0 / across, height * 72.0 / down);
    }

    // Invisible text (that of a recognised scan) paints nothing; text may also clip.
    void Text(GfxState* state) {
        if ((state->getRender() & 3) != 3) Painted();
        if (state->getRender() >= 4) clipped_ = true;
    }

    // Only a clip to the whole page (as some scanners set one) leaves the image whole.
    void Clip(GfxState* state) {
        const GfxPath* path = state->getPath();
        if (path->getNumSubpaths() != 1) {
            clipped_ = true;
            return;
        }
        const GfxSubpath* sub = path->getSubpath(0);
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < sub->getNumPoints(); ++i) {
            if (sub->getCurve(i)) {
                clipped_ = true;
                return;
            }
            double x = 0, y = 0;
            state->transform(sub->getX(i), sub->getY(i), &x, &y);
            points.emplace_back(x, y);
        }
        if (points.size() < 4) {
            clipped_ = true;
            return;
        }
        double xMin = points[0].first, xMax = xMin, yMin = points[0].second, yMax = yMin;
        for (const auto& [x, y] : points) {
            xMin = std::min(xMin, x), xMax = std::max(xMax, x), yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        }
        constexpr double kPoint = 1;
        bool rectangle = true;
        for (const auto& [x, y] : points) {
            rectangle = rectangle && (std::abs(x - xMin) < 1e-3 || std::abs(x - xMax) < 1e-3) &&
                        (std::abs(y - yMin) < 1e-3 || std::abs(y - yMax) < 1e-3);
        }
        const bool page = xMin <= kPoint && yMin <= kPoint && xMax >= pageWidth_ - kPoint && yMax >= pageHeight_ - kPoint;
        if (!rectangle || !page) clipped_ = true;
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
                for (int x = 0; x < width; ++x) row[x] = GreyOf(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
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
        if (!jpeg.status.ok() || jpeg.pixels.width != width || jpeg.pixels.height != height ||
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
    PageGuard& guard_;
    bool painted_ = false;
    bool taken_ = false;
    bool spoiled_ = false;
    bool clipped_ = false;
    bool layered_ = false;
    PixelBuffer pixels_;
};

// Splash, with each operation weighed before it runs: what it would take at once (paths
// flattened and scanned, dashes, glyphs, images scaled, layers) against the page's limit.
// Once the page is refused, nothing more is drawn; the state is still kept in step.
class GuardedRenderer : public SplashOutputDev {
public:
    GuardedRenderer(PageGuard& guard, double width, double height, SplashColorPtr paper)
        : SplashOutputDev(splashModeMono8, 1, false, paper), guard_(guard), pixels_(width * height), height_(height) {}

    void saveState(GfxState* state) override {
        held_.push_back(clipBytes_);
        SplashOutputDev::saveState(state);
    }
    void restoreState(GfxState* state) override {
        if (!held_.empty()) {
            clipBytes_ = held_.back();
            held_.pop_back();
        }
        SplashOutputDev::restoreState(state);
    }

    void stroke(GfxState* state) override {
        if (guard_.Affords(PathBytes(state, true))) SplashOutputDev::stroke(state);
    }
    void fill(GfxState* state) override {
        if (guard_.Affords(PathBytes(state, false))) SplashOutputDev::fill(state);
    }
    void eoFill(GfxState* state) override {
        if (guard_.Affords(PathBytes(state, false))) SplashOutputDev::eoFill(state);
    }
    // A clip's scanned outline is kept as long as the clip lasts.
    void clip(GfxState* state) override {
        if (Clipping(PathBytes(state, false))) SplashOutputDev::clip(state);
    }
    void eoClip(GfxState* state) override {
        if (Clipping(PathBytes(state, false))) SplashOutputDev::eoClip(state);
    }
    void clipToStrokePath(GfxState* state) override {
        if (Clipping(PathBytes(state, true))) SplashOutputDev::clipToStrokePath(state);
    }

    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY, CharCode code,
                  int nBytes, const Unicode* u, int uLen) override {
        if (GlyphFits(state)) SplashOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
    }
    bool beginType3Char(GfxState* state, double x, double y, double dx, double dy, CharCode code, const Unicode* u,
                        int uLen) override {
        if (!GlyphFits(state)) return true;  // as if drawn already: its glyph program is skipped
        return SplashOutputDev::beginType3Char(state, x, y, dx, dy, code, u, uLen);
    }

    // A refused inline image's data is left for poppler to pass over.
    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert, bool interpolate,
                       bool inlineImg) override {
        if (ImageFits(state, width, height, 1)) {
            SplashOutputDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
        }
    }
    void setSoftMaskFromImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                                  bool inlineImg, double* baseMatrix) override {
        const bool fits = ImageFits(state, width, height, 1) && guard_.Affords(pixels_ + layerBytes_);
        masks_.push_back(fits);
        if (fits) SplashOutputDev::setSoftMaskFromImageMask(state, ref, str, width, height, invert, inlineImg, baseMatrix);
    }
    void unsetSoftMaskFromImageMask(GfxState* state, double* baseMatrix) override {
        const bool set = !masks_.empty() && masks_.back();
        if (!masks_.empty()) masks_.pop_back();
        if (set) SplashOutputDev::unsetSoftMaskFromImageMask(state, baseMatrix);
    }
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        if (ImageFits(state, width, height, maskColors ? 2 : 1)) {
            SplashOutputDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
        }
    }
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                         bool interpolate, Stream* maskStr, int maskWidth, int maskHeight, bool maskInvert,
                         bool maskInterpolate) override {
        if (ImageFits(state, width, height, 3) && ImageFits(state, maskWidth, maskHeight, 1)) {
            SplashOutputDev::drawMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                             maskHeight, maskInvert, maskInterpolate);
        }
    }
    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                             bool interpolate, Stream* maskStr, int maskWidth, int maskHeight,
                             GfxImageColorMap* maskColorMap, bool maskInterpolate) override {
        if (ImageFits(state, width, height, 3) && ImageFits(state, maskWidth, maskHeight, 1)) {
            SplashOutputDev::drawSoftMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                                 maskHeight, maskColorMap, maskInterpolate);
        }
    }

    // Each open layer holds a bitmap with alpha (and shape, when knocked out) of its area.
    void beginTransparencyGroup(GfxState* state, const double* bbox, GfxColorSpace* space, bool isolated, bool knockout,
                                bool forSoftMask) override {
        const double bytes = DeviceArea(state, bbox) * (knockout ? 4 : 3);
        const bool fits = guard_.Affords(layerBytes_ + bytes);
        groups_.push_back(fits ? bytes : -1);
        if (!fits) return;
        layerBytes_ += bytes;
        SplashOutputDev::beginTransparencyGroup(state, bbox, space, isolated, knockout, forSoftMask);
    }
    void endTransparencyGroup(GfxState* state) override {
        if (!groups_.empty() && groups_.back() >= 0) SplashOutputDev::endTransparencyGroup(state);
    }
    void paintTransparencyGroup(GfxState* state, const double* bbox) override {
        if (EndGroup()) SplashOutputDev::paintTransparencyGroup(state, bbox);
    }
    void setSoftMask(GfxState* state, const double* bbox, bool alpha, Function* transferFunc, GfxColor* backdropColor) override {
        if (EndGroup() && guard_.Affords(layerBytes_ + pixels_)) {
            SplashOutputDev::setSoftMask(state, bbox, alpha, transferFunc, backdropColor);
        }
    }

    // A cell is drawn into a bitmap of its own, then repeated. (The pattern itself is not
    // asked: poppler does not export its type, which sanitizer builds check on every call.)
    bool tilingPatternFill(GfxState* state, Gfx* gfx, Catalog* catalog, GfxTilingPattern* pattern, const double* mat,
                           int x0, int y0, int x1, int y1, double xStep, double yStep) override {
        const double across = std::hypot(mat[0], mat[1]) * std::abs(xStep);
        const double down = std::hypot(mat[2], mat[3]) * std::abs(yStep);
        const double tiles = (static_cast<double>(x1) - x0) * (static_cast<double>(y1) - y0);
        if (tiles > kMaxTiles) guard_.Refuse(UI_TEXT_NOOP("ImageFiles", "页面中的图案过于细密"));
        if (!guard_.Affords((across + 2) * (down + 2) * 8 + tiles * 64)) return true;  // refused: nothing more is drawn
        return SplashOutputDev::tilingPatternFill(state, gfx, catalog, pattern, mat, x0, y0, x1, y1, xStep, yStep);
    }

    bool gouraudTriangleShadedFill(GfxState* state, GfxGouraudTriangleShading* shading) override {
        if (guard_.Refused()) return true;
        double covered = 0;
        for (int i = 0; i < shading->getNTriangles(); ++i) {
            double x[3], y[3];
            if (shading->isParameterized()) {
                double t[3];
                shading->getTriangle(i, &x[0], &y[0], &t[0], &x[1], &y[1], &t[1], &x[2], &y[2], &t[2]);
            } else {
                GfxColor colour[3];
                shading->getTriangle(i, &x[0], &y[0], &colour[0], &x[1], &y[1], &colour[1], &x[2], &y[2], &colour[2]);
            }
            for (int k = 0; k < 3; ++k) state->transform(x[k], y[k], &x[k], &y[k]);
            covered += std::min(pixels_, std::abs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])) / 2) + 1;
        }
        if (covered > kMaxShadedPages * std::max(pixels_, 1.0)) {
            guard_.Refuse(UI_TEXT_NOOP("ImageFiles", "页面中的渐变过于复杂"));
            return true;
        }
        return SplashOutputDev::gouraudTriangleShadedFill(state, shading);
    }

private:
    static constexpr double kSegmentBytes = 160;  // a flattened segment: path points, outline, edge
    static constexpr double kCrossingBytes = 16;  // a row an edge crosses, as the scanner records it
    static constexpr double kMaxCurvePieces = 1024;
    static constexpr double kMaxGlyphPixels = 8192;
    static constexpr double kMaxTiles = 4e6;
    static constexpr double kMaxShadedPages = 64;

    bool Clipping(double bytes) {
        if (!guard_.Affords(clipBytes_ + bytes)) return false;
        clipBytes_ += bytes;
        return true;
    }

    bool EndGroup() {
        if (groups_.empty()) return false;
        const double bytes = groups_.back();
        groups_.pop_back();
        if (bytes < 0) return false;
        layerBytes_ = std::max(0.0, layerBytes_ - bytes);
        return true;
    }

    double Rows(double dy) const { return std::min(std::abs(dy), height_) + 1; }

    // What filling or stroking the current path takes at once: its segments once curves are
    // flattened (and dashes cut), and the rows each edge crosses.
    double PathBytes(GfxState* state, bool stroke) {
        if (guard_.Refused()) return 0;
        const GfxPath* path = state->getPath();
        double segments = 0, rows = 0, length = 0;
        for (int i = 0; i < path->getNumSubpaths(); ++i) {
            const GfxSubpath* sub = path->getSubpath(i);
            const int n = sub->getNumPoints();
            if (n < 1) continue;
            double x0 = 0, y0 = 0;
            state->transform(sub->getX(0), sub->getY(0), &x0, &y0);
            const double ys = y0;
            auto to = [&](int k, double& x, double& y) { state->transform(sub->getX(k), sub->getY(k), &x, &y); };
            for (int j = 1; j < n;) {
                if (sub->getCurve(j) && j + 2 < n) {
                    double x[3], y[3], polygon = 0, rise = 0, px = x0, py = y0;
                    for (int k = 0; k < 3; ++k) {
                        to(j + k, x[k], y[k]);
                        polygon += std::hypot(x[k] - px, y[k] - py);
                        rise += std::abs(y[k] - py);
                        px = x[k], py = y[k];
                    }
                    const double pieces = std::min(kMaxCurvePieces, 2 + 2 * std::ceil(std::sqrt(polygon)));
                    segments += pieces;
                    length += polygon;
                    rows += std::min(rise, height_) + pieces;
                    x0 = x[2], y0 = y[2];
                    j += 3;
                } else {
                    double x = 0, y = 0;
                    to(j, x, y);
                    segments += 1;
                    length += std::hypot(x - x0, y - y0);
                    rows += Rows(y - y0);
                    x0 = x, y0 = y;
                    ++j;
                }
            }
            segments += 1;  // closing the subpath
            rows += Rows(ys - y0);
        }
        if (stroke) {
            const double width = std::max(1.0, state->getTransformedLineWidth());
            double phase = 0;
            const std::vector<double>& dash = state->getLineDash(&phase);
            if (!dash.empty()) {
                double period = 0;
                for (double d : dash) period += std::max(0.0, d);
                period = state->transformWidth(period);
                if (!(period > 0)) return 0;  // a pattern of nothing draws nothing
                segments += length / period * static_cast<double>(dash.size());
            }
            rows = 2 * rows + segments * 2 * (std::min(width, height_) + 2);
        }
        return segments * kSegmentBytes + rows * kCrossingBytes * (getVectorAntialias() ? 4 : 1);
    }

    // A glyph is rendered whole at its size; a stroked one along its outline, dashes and all.
    bool GlyphFits(GfxState* state) {
        if (guard_.Refused()) return false;
        const double size = state->getTransformedFontSize();
        if (!(size <= kMaxGlyphPixels)) {
            guard_.Refuse(UI_TEXT_NOOP("ImageFiles", "页面中的文字太大"));
            return false;
        }
        const int render = state->getRender() & 3;
        double phase = 0;
        const std::vector<double>& dash = state->getLineDash(&phase);
        if ((render == 1 || render == 2) && !dash.empty()) {
            double period = 0;
            for (double d : dash) period += std::max(0.0, d);
            period = state->transformWidth(period);
            if (period > 0 && !guard_.Affords(size * 10 / period * static_cast<double>(dash.size()) * kSegmentBytes)) return false;
        }
        return guard_.Affords(size * size * 2);
    }

    // Splash scales an image to its size on the page, then turns it if it is turned.
    bool ImageFits(GfxState* state, int width, int height, int bytesPerPixel) {
        if (guard_.Refused()) return false;
        if (static_cast<double>(width) * height > static_cast<double>(kMaxStoredPixels)) {
            guard_.Refuse(ImageTooLargeProblem(width, height));
            return false;
        }
        const double* m = state->getCTM();
        const double scaled = std::hypot(m[0], m[1]) * std::hypot(m[2], m[3]);
        const bool turned = std::abs(m[1]) > 1e-9 || std::abs(m[2]) > 1e-9;
        const double box = (std::abs(m[0]) + std::abs(m[2])) * (std::abs(m[1]) + std::abs(m[3]));
        return guard_.Affords((scaled + (turned ? box : 0)) * bytesPerPixel + static_cast<double>(width) * 16);
    }

    // A box in user space, as pixels of the page it covers.
    double DeviceArea(GfxState* state, const double* bbox) const {
        double xMin = 1e300, yMin = 1e300, xMax = -1e300, yMax = -1e300;
        for (const auto& [x, y] : {std::pair{bbox[0], bbox[1]}, {bbox[2], bbox[1]}, {bbox[0], bbox[3]}, {bbox[2], bbox[3]}}) {
            double dx = 0, dy = 0;
            state->transform(x, y, &dx, &dy);
            xMin = std::min(xMin, dx), xMax = std::max(xMax, dx), yMin = std::min(yMin, dy), yMax = std::max(yMax, dy);
        }
        const double width = std::clamp(xMax - xMin + 2, 0.0, pixels_ / std::max(height_, 1.0) + 2);
        return width * std::clamp(yMax - yMin + 2, 0.0, height_ + 2);
    }

    PageGuard& guard_;
    double pixels_, height_;
    double clipBytes_ = 0;
    double layerBytes_ = 0;
    std::vector<double> held_;     // clip bytes at each saved state
    std::vector<double> groups_;   // bytes of each open layer, -1 for one refused
    std::vector<bool> masks_;      // soft masks from image masks, whether each was set
};

Status PageTooLargeProblem(double width, double height) {
    if (width < 1e15 && height < 1e15) return TooLargeProblem(static_cast<long long>(width), static_cast<long long>(height));
    return Status::Error(FillForm(UiText("ImageFiles", "页面太大（超过%1像素）"), {std::to_string(kMaxImagePixels)}));
}

}  // namespace

RawPageCount CountPdfPages(const PagedInput& input) {
    RawPageCount result;
    std::unique_ptr<PDFDoc> owned;
    PDFDoc* doc = Open(input, owned);
    result.status = OpenStatus(*doc);
    if (!result.status.ok()) return result;
    // Pages past the limit are one more page, which reports them.
    result.pages = std::min(doc->getNumPages(), kMaxPages + 1);
    if (result.pages <= 0) result.status = Status::Error(kCorruptImage);
    return result;
}

RawDecode DecodePdfPage(const PagedInput& input, int page, const PageLimits& limits) {
    RawDecode result;
    std::unique_ptr<PDFDoc> owned;
    PDFDoc* doc = Open(input, owned);
    result.status = OpenStatus(*doc);
    if (!result.status.ok()) return result;
    result.severalPages = doc->getNumPages() > 1;
    if (page > kMaxPages) {
        result.status = TooManyPagesProblem();
        return result;
    }
    if (page < 1 || page > doc->getNumPages()) {
        result.status = NoPageProblem(page);
        return result;
    }
    Page* pdfPage = doc->getPage(page);
    if (!pdfPage) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    const double pageWidth = doc->getPageCropWidth(page);
    const double pageHeight = doc->getPageCropHeight(page);
    if (!(pageWidth > 0 && pageHeight > 0) || !std::isfinite(pageWidth) || !std::isfinite(pageHeight)) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }

    PageGuard guard(limits);
    ContentCheck(guard).Check(*pdfPage);
    // Messages about the file as a whole (a rebuilt cross-reference table), or about
    // resources the page may never draw, came before; from here on they are about this page.
    Watch watch;
    ImageFinder finder(input, pageWidth, pageHeight, guard);
    if (guard.problem().ok()) doc->displayPage(&finder, page, 72, 72, 0, false, true, false, PageGuard::AbortCheck, &guard);
    if (!guard.problem().ok()) {
        result.status = guard.problem();
        return result;
    }
    double dpi = kDrawnPageDpi;
    if (finder.area >= kScannedShare * pageWidth * pageHeight) dpi = std::min(kMaxDpi, finder.dpi);  // never enlarged
    // A scan no finer than the rendering would be is taken as it is stored.
    PixelBuffer scan = finder.TakePixels();
    if (watch.damaged) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    if (!scan.bytes.empty() && finder.dpi <= kMaxDpi) {
        result.pixels = std::move(scan);
        return result;
    }
    scan = PixelBuffer();

    const double width = std::ceil(pageWidth * dpi / 72);
    const double height = std::ceil(pageHeight * dpi / 72);
    if (!(width * height <= static_cast<double>(kMaxImagePixels)) || width < 1 || height < 1) {
        result.status = PageTooLargeProblem(width, height);
        return result;
    }

    guard.AllowPixels(width * height);
    SplashColor paper;
    paper[0] = 255;
    GuardedRenderer renderer(guard, width, height, paper);
    renderer.startDoc(doc);
    doc->displayPage(&renderer, page, dpi, dpi, 0, false, true, false, PageGuard::AbortCheck, &guard);
    if (!guard.problem().ok()) {
        result.status = guard.problem();
        return result;
    }
    SplashBitmap* bitmap = renderer.getBitmap();
    if (watch.damaged || !bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
        result.status = Status::Error(kCorruptImage);
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

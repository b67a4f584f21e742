// TIFF through libtiff: every compression it was built with (uncompressed, LZW, Deflate,
// PackBits, JPEG, CCITT G3/G4), strips and tiles, one page (directory) at a time, in grey
// and reduced as its rows are read.
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
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

// A file or bytes in memory, read where they lie. The header's link to the first page can
// be made to lead to any page instead, which libtiff then opens as if it were the first:
// libtiff itself finds a page by walking the chain from the start.
class Source {
public:
    Source(const PagedInput& input, std::uint64_t firstPage) : bytes_(input.bytes) {
        if (input.path) {
            fd_ = ::open(input.path->c_str(), O_RDONLY | O_CLOEXEC);
            struct stat info {};
            if (fd_ < 0 || ::fstat(fd_, &info) != 0) return;
            size_ = static_cast<std::uint64_t>(info.st_size);
        } else {
            size_ = bytes_.size();
        }
        if (firstPage == 0) return;
        std::uint8_t header[4] = {};
        if (Fetch(header, 4, 0) != 4) return;
        const bool little = header[0] == 'I';
        const bool big = header[2] == '+' || header[3] == '+';
        linkAt_ = big ? 8 : 4;
        linkLength_ = big ? 8 : 4;
        for (std::size_t i = 0; i < linkLength_; ++i) {
            const std::size_t shift = 8 * (little ? i : linkLength_ - 1 - i);
            link_[i] = static_cast<std::uint8_t>(firstPage >> shift);
        }
    }
    ~Source() {
        if (fd_ >= 0) ::close(fd_);
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    bool ok() const { return fd_ >= 0 || bytes_.data() != nullptr; }

    static tmsize_t Read(thandle_t handle, void* out, tmsize_t size) {
        auto* source = static_cast<Source*>(handle);
        if (size <= 0) return 0;
        const std::size_t got = source->Fetch(static_cast<std::uint8_t*>(out), static_cast<std::size_t>(size), source->at_);
        for (std::size_t i = 0; i < source->linkLength_; ++i) {
            const std::uint64_t at = source->linkAt_ + i;
            if (at >= source->at_ && at < source->at_ + got) static_cast<std::uint8_t*>(out)[at - source->at_] = source->link_[i];
        }
        source->at_ += got;
        return static_cast<tmsize_t>(got);
    }
    static tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }
    static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
        auto* source = static_cast<Source*>(handle);
        const toff_t base = whence == SEEK_CUR ? source->at_ : whence == SEEK_END ? source->size_ : 0;
        source->at_ = base + offset;
        return source->at_;
    }
    static int Close(thandle_t) { return 0; }
    static toff_t Size(thandle_t handle) { return static_cast<Source*>(handle)->size_; }
    static int NoMap(thandle_t, void**, toff_t*) { return 0; }
    static void NoUnmap(thandle_t, void*, toff_t) {}

private:
    std::size_t Fetch(std::uint8_t* out, std::size_t size, std::uint64_t at) const {
        if (at >= size_) return 0;
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - at));
        if (fd_ < 0) {
            std::memcpy(out, bytes_.data() + at, size);
            return size;
        }
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(fd_, out + done, size - done, static_cast<off_t>(at + done));
            if (got <= 0) break;  // a file cut short while it is read fails the read
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    std::string_view bytes_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t at_ = 0;
    std::array<std::uint8_t, 8> link_{};
    std::uint64_t linkAt_ = 0;
    std::size_t linkLength_ = 0;
};

struct CloseTiff {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// One open file with its reports; the reports outlive the handle that writes into them.
// `firstPage`, when set, is the offset of the page to open at.
class OpenTiff {
public:
    explicit OpenTiff(const PagedInput& input, std::uint64_t firstPage = 0) : source_(input, firstPage) {
        // Errors before a handle exists would go to libtiff's global handlers, which print;
        // the result tells us all we need.
        static std::once_flag quiet;
        std::call_once(quiet, [] {
            TIFFSetErrorHandler(nullptr);
            TIFFSetWarningHandler(nullptr);
        });
        if (!source_.ok()) return;
        std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &reports_);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &reports_);
        tif_.reset(TIFFClientOpenExt(input.path ? input.path->c_str() : "memory", "rm", &source_, Source::Read, Source::Write,
                                     Source::Seek, Source::Close, Source::Size, Source::NoMap, Source::NoUnmap,
                                     options.get()));
    }

    TIFF* get() const { return tif_.get(); }
    Reports& reports() { return reports_; }

private:
    Reports reports_;
    Source source_;
    std::unique_ptr<TIFF, CloseTiff> tif_;
};

// The offsets of a file's pages as far as its page chain has been followed. Every page is
// decoded by itself, the file opened anew; with the offsets kept, page N is found at once
// instead of by following N links (which made a file of many pages quadratic).
struct Chain {
    std::vector<std::uint64_t> offsets;  // of pages 1, 2, ...
    bool ended = false;                  // the last page found is the file's last
    bool broken = false;                 // the last page's link leads nowhere readable
};

struct FileStamp {
    std::filesystem::path path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> StampOf(const PagedInput& input) {
    if (!input.path) return std::nullopt;
    std::error_code ec;
    FileStamp stamp{*input.path, std::filesystem::file_size(*input.path, ec), {}};
    if (!ec) stamp.modified = std::filesystem::last_write_time(*input.path, ec);
    if (ec) return std::nullopt;
    return stamp;
}

// The chains of the files read last, shared by the threads that decode their pages.
class Chains {
public:
    // What is known of the way to `page`: its offset, or the last page found before it.
    struct Known {
        std::size_t found = 0;        // pages whose offsets are known
        std::uint64_t offset = 0;     // of page min(page, found), when found > 0
        bool ended = false, broken = false;
    };

    Known Lookup(const FileStamp& stamp, std::size_t page) {
        std::lock_guard<std::mutex> lock(mutex_);
        Known known;
        if (const Chain* chain = Find(stamp)) {
            known.found = chain->offsets.size();
            if (known.found > 0) known.offset = chain->offsets[std::min(page, known.found) - 1];
            known.ended = chain->ended;
            known.broken = chain->broken;
        }
        return known;
    }

    // Pages found after the `from` already known.
    void Extend(const FileStamp& stamp, std::size_t from, const std::vector<std::uint64_t>& offsets, bool ended, bool broken) {
        std::lock_guard<std::mutex> lock(mutex_);
        Chain* chain = Find(stamp);
        if (!chain) {
            if (from != 0) return;
            if (kept_.size() >= kFiles) kept_.erase(kept_.begin());
            kept_.push_back({stamp, Chain()});
            chain = &kept_.back().second;
        }
        if (chain->offsets.size() != from) {
            if (from != 0 || offsets.size() <= chain->offsets.size()) return;  // known as far already
            chain->offsets.clear();
        }
        chain->offsets.insert(chain->offsets.end(), offsets.begin(), offsets.end());
        chain->ended = ended;
        chain->broken = broken;
    }

private:
    static constexpr std::size_t kFiles = 8;
    Chain* Find(const FileStamp& stamp) {
        for (auto& [kept, chain] : kept_) {
            if (kept == stamp) return &chain;
        }
        return nullptr;
    }
    std::mutex mutex_;
    std::vector<std::pair<FileStamp, Chain>> kept_;
};

Chains& KnownChains() {
    static Chains chains;
    return chains;
}

Status BrokenChainProblem(std::size_t found) {
    return Status::Error(FillForm(UiText("ImageFiles", "第%1页之后的页链已损坏，此页及其后的页无法读取"), {std::to_string(found)}));
}

// Follows the chain from the page `tif` is on (the `found`th) until page `page` or the
// chain's end, recording the offsets of the pages it passes. Reports are those of the last
// directory read.
struct Walk {
    std::vector<std::uint64_t> offsets;
    bool ended = false, broken = false;
};

Walk Follow(TIFF* tif, Reports& reports, std::size_t found, std::size_t page) {
    Walk walk;
    for (std::size_t at = found; at < page; ++at) {
        if (TIFFLastDirectory(tif)) {
            walk.ended = true;
            break;
        }
        reports = Reports();
        if (!TIFFReadDirectory(tif)) {
            walk.broken = true;
            break;
        }
        walk.offsets.push_back(TIFFCurrentDirOffset(tif));
    }
    return walk;
}

// The file opened at page `page`, or the problem when the page cannot be reached.
Status OpenAtPage(const PagedInput& input, std::size_t page, std::optional<OpenTiff>& tiff) {
    if (page > static_cast<std::size_t>(kMaxPages)) return TooManyPagesProblem();
    const std::optional<FileStamp> stamp = StampOf(input);
    Chains::Known known;
    if (stamp && page > 1) known = KnownChains().Lookup(*stamp, page);
    if (known.found >= page) {
        tiff.emplace(input, known.offset);
        return tiff->get() ? Status::Ok() : Status::Error(kCorruptImage);
    }
    if (known.ended) return NoPageProblem(page);
    if (known.broken) return BrokenChainProblem(known.found);
    // From the last page known, or the first.
    std::size_t at = std::max<std::size_t>(known.found, 1);
    tiff.emplace(input, known.found > 0 ? known.offset : 0);
    if (!tiff->get()) return Status::Error(kCorruptImage);
    if (page == 1) return Status::Ok();
    std::vector<std::uint64_t> found;  // offsets not known before
    if (known.found == 0) found.push_back(TIFFCurrentDirOffset(tiff->get()));
    const Walk walk = Follow(tiff->get(), tiff->reports(), at, page);
    if (stamp) {
        found.insert(found.end(), walk.offsets.begin(), walk.offsets.end());
        KnownChains().Extend(*stamp, known.found, found, walk.ended, walk.broken);
    }
    at += walk.offsets.size();
    if (at == page) return Status::Ok();
    if (walk.ended) return NoPageProblem(page);
    return BrokenChainProblem(at);
}

// How a page's samples are laid out, as far as rows of them can be turned into grey here.
struct Layout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    enum class Alpha { None, Associated, Unassociated } alpha = Alpha::None;
    std::array<std::array<std::uint8_t, 256>, 3> palette{};  // red, green, blue of each index
};

// The layout when the page's rows can be read one at a time and turned into grey here:
// strips (not tiles) of samples stored together, unsigned, in the common colour models.
std::optional<Layout> RowLayout(TIFF* tif, std::uint32_t width, std::uint32_t height) {
    Layout layout;
    layout.width = width;
    layout.height = height;
    std::uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const bool hasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric) == 1;
    if (!hasPhotometric) {
        if (layout.samples != 1) return std::nullopt;
        layout.photometric = PHOTOMETRIC_MINISBLACK;
    }
    // Samples of fewer than 8 bits are read one a pixel.
    if (TIFFIsTiled(tif) || (planar != PLANARCONFIG_CONTIG && layout.samples > 1) || format != SAMPLEFORMAT_UINT ||
        compression == COMPRESSION_OJPEG || (layout.bits < 8 && layout.samples != 1)) {
        return std::nullopt;
    }
    if (layout.photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG && layout.bits == 8 && layout.samples == 3) {
        // libjpeg turns the colours into RGB as it decodes.
        if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return std::nullopt;
        layout.photometric = PHOTOMETRIC_RGB;
    }
    int colours = 0;
    const std::uint16_t bits = layout.bits;
    switch (layout.photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
            colours = 1;
            if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16) return std::nullopt;
            break;
        case PHOTOMETRIC_RGB:
            colours = 3;
            if (bits != 8 && bits != 16) return std::nullopt;
            break;
        case PHOTOMETRIC_PALETTE: {
            colours = 1;
            if ((bits != 1 && bits != 2 && bits != 4 && bits != 8) || layout.samples != 1) return std::nullopt;
            std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
            if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return std::nullopt;
            // A map of 8-bit values written as 16-bit ones, as some writers do, is taken as it is.
            const int entries = 1 << bits;
            bool eight = true;
            for (int i = 0; i < entries && eight; ++i) eight = red[i] < 256 && green[i] < 256 && blue[i] < 256;
            for (int i = 0; i < entries; ++i) {
                const std::uint16_t* maps[] = {red, green, blue};
                for (int c = 0; c < 3; ++c) layout.palette[c][i] = static_cast<std::uint8_t>(eight ? maps[c][i] : maps[c][i] >> 8);
            }
            break;
        }
        case PHOTOMETRIC_SEPARATED: {
            std::uint16_t inks = INKSET_CMYK;
            TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inks);
            if (inks != INKSET_CMYK || bits != 8 || layout.samples < 4) return std::nullopt;
            colours = 4;
            break;
        }
        default:
            return std::nullopt;
    }
    if (layout.samples < colours) return std::nullopt;
    std::uint16_t extras = 0;
    std::uint16_t* kinds = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extras, &kinds);
    if (layout.samples > colours && colours != 4) {
        // An extra sample is alpha when it says so, or when it is the fourth of an RGB page,
        // as libtiff's own reader takes it.
        const std::uint16_t kind = extras > 0 && kinds ? kinds[0] : EXTRASAMPLE_UNSPECIFIED;
        if (kind == EXTRASAMPLE_ASSOCALPHA || (kind == EXTRASAMPLE_UNSPECIFIED && layout.samples > 3)) {
            layout.alpha = Layout::Alpha::Associated;
        } else if (kind == EXTRASAMPLE_UNASSALPHA) {
            layout.alpha = Layout::Alpha::Unassociated;
        }
    }
    return layout;
}

unsigned Scale16(unsigned v) { return (v * 255 + 32767) / 65535; }

// One row of samples in grey.
class RowConverter {
public:
    explicit RowConverter(const Layout& layout) : l_(layout) {
        if (l_.bits < 8) {
            const unsigned max = (1u << l_.bits) - 1;
            for (unsigned v = 0; v <= max; ++v) {
                const unsigned grey = v * 255 / max;
                scale_[v] = static_cast<std::uint8_t>(l_.photometric == PHOTOMETRIC_MINISWHITE ? 255 - grey : grey);
            }
        }
    }

    void Convert(const std::uint8_t* in, std::uint8_t* out) const {
        const std::uint32_t width = l_.width;
        const int n = l_.samples;
        if (l_.bits < 8) {
            // A single sample a pixel, packed from the high bit.
            const int bits = l_.bits;
            const unsigned mask = (1u << bits) - 1;
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned v = (in[bit / 8] >> (8 - bits - bit % 8)) & mask;
                out[x] = l_.photometric == PHOTOMETRIC_PALETTE ? Paletted(v) : scale_[v];
            }
            return;
        }
        const bool wide = l_.bits == 16;
        const auto* in16 = reinterpret_cast<const std::uint16_t*>(in);
        auto sample = [&](std::size_t i) -> unsigned { return wide ? Scale16(in16[i]) : in[i]; };
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(x) * n;
            switch (l_.photometric) {
                case PHOTOMETRIC_MINISBLACK:
                case PHOTOMETRIC_MINISWHITE: {
                    unsigned v = sample(at);
                    if (l_.photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
                    out[x] = static_cast<std::uint8_t>(l_.alpha == Layout::Alpha::None ? v : OnWhite(v, sample(at + 1)));
                    break;
                }
                case PHOTOMETRIC_RGB: {
                    unsigned r = sample(at), g = sample(at + 1), b = sample(at + 2);
                    if (l_.alpha != Layout::Alpha::None) {
                        const unsigned a = sample(at + 3);
                        r = OnWhite(r, a), g = OnWhite(g, a), b = OnWhite(b, a);
                    }
                    out[x] = GreyOf(r, g, b);
                    break;
                }
                case PHOTOMETRIC_PALETTE:
                    out[x] = Paletted(in[at]);
                    break;
                case PHOTOMETRIC_SEPARATED: {
                    // As libtiff's own reader makes RGB of ink.
                    const unsigned k = 255 - in[at + 3];
                    out[x] = GreyOf(k * (255 - in[at]) / 255, k * (255 - in[at + 1]) / 255, k * (255 - in[at + 2]) / 255);
                    break;
                }
                default:
                    out[x] = 255;
            }
        }
    }

private:
    // Transparent parts show the white paper: associated alpha is already multiplied in.
    unsigned OnWhite(unsigned value, unsigned alpha) const {
        if (l_.alpha == Layout::Alpha::Unassociated) value = (value * alpha + 127) / 255;
        return std::min(255u, value + 255 - alpha);
    }
    std::uint8_t Paletted(unsigned index) const {
        return GreyOf(l_.palette[0][index], l_.palette[1][index], l_.palette[2][index]);
    }

    const Layout& l_;
    std::array<std::uint8_t, 256> scale_{};
};

// Rows wider than this are refused before anything is allocated for them.
constexpr tmsize_t kMaxRowBytes = tmsize_t{16} << 20;
// What libtiff's RGBA reader may hold for a band: its raster and a strip or tile of samples.
constexpr std::uint64_t kMaxBandBytes = std::uint64_t{256} << 20;
constexpr std::uint32_t kRowsBetweenClockChecks = 64;

// The common layouts, a row at a time: libtiff decodes a strip's rows as they are asked
// for, so even a page stored as one strip never needs its whole size in memory.
Status ReadRows(TIFF* tif, const Reports& reports, const Layout& layout, const Deadline& deadline, GreyRows& out,
                const PageLimits& limits) {
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0) return Status::Error(kCorruptImage);
    if (rowBytes > kMaxRowBytes) return Status::Error(FillForm(UiText("ImageFiles", "图像太宽（%1像素）"), {std::to_string(layout.width)}));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    const RowConverter converter(layout);
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        if (y % kRowsBetweenClockChecks == 0 && deadline.Passed()) return TimeoutProblem(limits);
        if (TIFFReadScanline(tif, row.data(), y, 0) < 0 || reports.failed || reports.damaged) {
            return Status::Error(kCorruptImage);
        }
        converter.Convert(row.data(), out.Row(static_cast<int>(y)));
        out.Done();
    }
    return Status::Ok();
}

// Everything else through libtiff's RGBA reader, a band of rows at a time. Rows come in the
// order they are stored: the engine finds the sheet's orientation itself.
Status ReadThroughRgba(TIFF* tif, const Reports& reports, std::uint32_t width, std::uint32_t height,
                       const Deadline& deadline, GreyRows& out, const PageLimits& limits) {
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message)) return Status::Error(kCorruptImage);
    std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    std::uint32_t unit = 1;  // rows a strip or tile holds: bands start on their boundaries
    if (TIFFIsTiled(tif)) TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint32_t wanted = std::max<std::uint32_t>(1, (std::uint32_t{16} << 20) / (4 * std::max<std::uint32_t>(width, 1)));
    const std::uint32_t band = std::min(height, std::max(unit, wanted / unit * unit));
    // libtiff reads a whole strip or tile (of each plane) at a time.
    const tmsize_t pieceBytes = TIFFIsTiled(tif) ? TIFFTileSize(tif) : TIFFStripSize(tif);
    const std::uint64_t pieces = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    if (pieceBytes <= 0) return Status::Error(kCorruptImage);
    if (std::uint64_t{width} * band * 4 + static_cast<std::uint64_t>(pieceBytes) * pieces > kMaxBandBytes) {
        return Status::Error(FillForm(UiText("ImageFiles", "图像的条带或图块太大（%1×%2像素）"), {std::to_string(width), std::to_string(unit)}));
    }

    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 1, message)) return Status::Error(kCorruptImage);
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end{&image};
    image.req_orientation = image.orientation;
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * band);
    for (std::uint32_t first = 0; first < height; first += band) {
        if (deadline.Passed()) return TimeoutProblem(limits);
        const std::uint32_t rows = std::min(band, height - first);
        image.row_offset = static_cast<int>(first);
        if (!TIFFRGBAImageGet(&image, raster.data(), width, rows) || reports.failed || reports.damaged) {
            return Status::Error(kCorruptImage);
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t* in = raster.data() + static_cast<std::size_t>(r) * width;
            std::uint8_t* row = out.Row(static_cast<int>(first + r));
            for (std::uint32_t x = 0; x < width; ++x) {
                // Premultiplied by alpha: what is transparent shows the white paper.
                const std::uint32_t p = in[x];
                const std::uint32_t clear = 255 - TIFFGetA(p);
                row[x] = GreyOf(std::min<std::uint32_t>(255, TIFFGetR(p) + clear), std::min<std::uint32_t>(255, TIFFGetG(p) + clear),
                                std::min<std::uint32_t>(255, TIFFGetB(p) + clear));
            }
            out.Done();
        }
    }
    return Status::Ok();
}

}  // namespace

RawPageCount CountTiffPages(const PagedInput& input) {
    RawPageCount result;
    OpenTiff tiff(input);
    if (!tiff.get()) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    // A link that leads nowhere readable adds a page that reports it: the pages after it
    // are lost, and must not vanish without a word.
    std::vector<std::uint64_t> offsets = {TIFFCurrentDirOffset(tiff.get())};
    Walk walk = Follow(tiff.get(), tiff.reports(), 1, kMaxPages);
    offsets.insert(offsets.end(), walk.offsets.begin(), walk.offsets.end());
    if (const std::optional<FileStamp> stamp = StampOf(input)) {
        KnownChains().Extend(*stamp, 0, offsets, walk.ended, walk.broken);
    }
    const bool more = walk.broken || (!walk.ended && !TIFFLastDirectory(tiff.get()));
    result.pages = static_cast<int>(offsets.size()) + (more ? 1 : 0);
    return result;
}

RawDecode DecodeTiffPage(const PagedInput& input, int page, const PageLimits& limits) {
    RawDecode result;
    const Deadline deadline(limits.seconds);
    result.severalPages = page > 1;
    if (page < 1) {
        result.status = NoPageProblem(page);
        return result;
    }
    std::optional<OpenTiff> tiff;
    result.status = OpenAtPage(input, static_cast<std::size_t>(page), tiff);
    if (!result.status.ok()) return result;
    TIFF* tif = tiff->get();
    result.severalPages = page > 1 || !TIFFLastDirectory(tif);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    // Pages are reduced as they are read, so this limit bounds the time, not the memory.
    if (static_cast<long long>(width) * height > kMaxStoredPixels) {
        result.status = TooLargeProblem(width, height, kMaxStoredPixels);
        return result;
    }
    GreyRows rows(static_cast<int>(width), static_cast<int>(height));
    const std::optional<Layout> layout = RowLayout(tif, width, height);
    result.status = layout ? ReadRows(tif, tiff->reports(), *layout, deadline, rows, limits)
                           : ReadThroughRgba(tif, tiff->reports(), width, height, deadline, rows, limits);
    if (result.status.ok()) result.pixels = rows.Take();
    return result;
}

}  // namespace quillmark::detail

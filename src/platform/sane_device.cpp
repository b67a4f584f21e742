#include "sane_device.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/image_decoder.h"

namespace quillmark {
namespace {

// sane_init and sane_exit are process-wide: the first user starts SANE, the last ends it.
std::mutex gSaneMutex;
int gSaneUsers = 0;

bool StartSane() {
    std::lock_guard lock(gSaneMutex);
    if (gSaneUsers == 0) {
        SANE_Int version = 0;
        if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return false;
    }
    ++gSaneUsers;
    return true;
}

void EndSane() {
    std::lock_guard lock(gSaneMutex);
    if (--gSaneUsers == 0) sane_exit();
}

std::string Text(SANE_String_Const text) { return text ? text : ""; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

// Finds an option by name; 0 when the device has none.
SANE_Int FindOption(SANE_Handle handle, const std::string& name, const SANE_Option_Descriptor*& desc) {
    SANE_Int count = 0;
    if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return 0;
    for (SANE_Int i = 1; i < count; ++i) {
        desc = sane_get_option_descriptor(handle, i);
        if (desc && desc->name && name == desc->name && desc->type != SANE_TYPE_GROUP) return i;
    }
    return 0;
}

// Empty on success or when the option does not apply to this device.
std::string SetOption(SANE_Handle handle, const ScanOption& option) {
    const SANE_Option_Descriptor* desc = nullptr;
    SANE_Int index = FindOption(handle, option.name, desc);
    if (index == 0 || !SANE_OPTION_IS_ACTIVE(desc->cap) || !SANE_OPTION_IS_SETTABLE(desc->cap)) return "";

    std::string bad = "option " + option.name + ": cannot take \"" + option.value + "\"";
    std::vector<SANE_Word> words(std::max<std::size_t>(1, static_cast<std::size_t>(desc->size) / sizeof(SANE_Word)));
    std::vector<char> text;
    void* value = words.data();
    double number = 0;
    switch (desc->type) {
        case SANE_TYPE_BOOL: {
            std::string v = Lower(option.value);
            if (v == "yes" || v == "true" || v == "1" || v == "on") words[0] = SANE_TRUE;
            else if (v == "no" || v == "false" || v == "0" || v == "off") words[0] = SANE_FALSE;
            else return bad;
            break;
        }
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: {
            if (!ParseNumber(option.value, number)) return bad;
            double scaled = desc->type == SANE_TYPE_FIXED ? number * (1 << SANE_FIXED_SCALE_SHIFT) : number;
            if (std::fabs(scaled) > 2147483647.0) return bad;
            std::fill(words.begin(), words.end(), static_cast<SANE_Word>(std::lround(scaled)));
            break;
        }
        case SANE_TYPE_STRING:
            if (option.value.size() + 1 > static_cast<std::size_t>(desc->size)) return bad;
            text.assign(static_cast<std::size_t>(desc->size), '\0');
            std::memcpy(text.data(), option.value.data(), option.value.size());
            value = text.data();
            break;
        case SANE_TYPE_BUTTON:
            value = nullptr;
            break;
        default:
            return "";
    }
    SANE_Status status = sane_control_option(handle, index, SANE_ACTION_SET_VALUE, value, nullptr);
    if (status != SANE_STATUS_GOOD) return bad + " (" + sane_strstatus(status) + ")";
    return "";
}

// A feeder stacks pages; any other source gives one page a run, which it would
// otherwise deliver again and again.
bool SourceIsFeeder(SANE_Handle handle) {
    const SANE_Option_Descriptor* desc = nullptr;
    SANE_Int index = FindOption(handle, SANE_NAME_SCAN_SOURCE, desc);
    if (index == 0 || desc->type != SANE_TYPE_STRING || desc->size <= 0 || !SANE_OPTION_IS_ACTIVE(desc->cap)) return false;
    std::vector<char> text(static_cast<std::size_t>(desc->size) + 1, '\0');
    if (sane_control_option(handle, index, SANE_ACTION_GET_VALUE, text.data(), nullptr) != SANE_STATUS_GOOD) return false;
    std::string source = Lower(text.data());
    for (const char* word : {"adf", "feeder", "duplex"}) {
        if (source.find(word) != std::string::npos) return true;
    }
    return false;
}

// One sample of a row as 0..255; 1-bit samples are 1 for black.
int Sample(const std::uint8_t* row, int index, int depth) {
    if (depth == 8) return row[index];
    if (depth == 16) {
        std::uint16_t word;
        std::memcpy(&word, row + 2 * index, 2);  // SANE sends 16-bit samples in host order
        return word >> 8;
    }
    return (row[index / 8] >> (7 - index % 8)) & 1 ? 0 : 255;
}

}  // namespace

std::vector<ScannerInfo> ListScanners() {
    std::vector<ScannerInfo> scanners;
    if (!StartSane()) return scanners;
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_TRUE) == SANE_STATUS_GOOD && devices) {
        for (const SANE_Device** d = devices; *d; ++d) {
            scanners.push_back({Text((*d)->name), Text((*d)->vendor), Text((*d)->model), Text((*d)->type)});
        }
    }
    EndSane();
    return scanners;
}

std::string ScannerLabel(const ScannerInfo& scanner) {
    return scanner.vendor + " " + scanner.model + " (" + scanner.name + ")";
}

std::string SelectScannerName(const std::vector<ScannerInfo>& scanners, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= scanners.size()) return "";
    return scanners[static_cast<std::size_t>(index)].name;
}

SaneDevice::SaneDevice(std::string deviceName, std::vector<ScanOption> options)
    : deviceName_(std::move(deviceName)), options_(std::move(options)) {}

SaneDevice::~SaneDevice() { Close(); }

bool SaneDevice::Open() {
    if (!initialised_) {
        if (!StartSane()) {
            lastError_ = "SANE could not start";
            return false;
        }
        initialised_ = true;
    }
    SANE_Handle handle = nullptr;
    SANE_Status status = sane_open(deviceName_.c_str(), &handle);
    if (status != SANE_STATUS_GOOD) {
        lastError_ = "cannot open " + deviceName_ + ": " + sane_strstatus(status);
        return false;
    }
    handle_ = handle;
    for (const ScanOption& option : options_) {
        lastError_ = SetOption(handle, option);
        if (!lastError_.empty()) {
            Close();
            return false;
        }
    }
    feeder_ = SourceIsFeeder(handle);
    return true;
}

void SaneDevice::Close() {
    if (handle_) {
        sane_cancel(handle_);
        sane_close(handle_);
        handle_ = nullptr;
    }
    if (initialised_) {
        EndSane();
        initialised_ = false;
    }
}

void SaneDevice::CancelAcquire() {
    if (void* handle = scanning_.load()) sane_cancel(handle);
}

std::optional<PixelBuffer> SaneDevice::Acquire() {
    lastError_.clear();
    if (pages_ > 0 && !feeder_) {
        lastError_ = "one page a run from a device without a feeder";
        return std::nullopt;
    }
    if (!handle_ && !Open()) return std::nullopt;
    SANE_Handle handle = handle_;
    scanning_.store(handle);
    struct Scanning {
        std::atomic<void*>& handle;
        ~Scanning() { handle.store(nullptr); }
    } scanningUntilReturn{scanning_};
    auto fail = [&](const std::string& why) {
        sane_cancel(handle);
        lastError_ = deviceName_ + ": " + why;
        return std::optional<PixelBuffer>();
    };

    PixelBuffer page;
    int channelsSeen = 0;  // bit per colour of a three-pass scan
    for (;;) {
        SANE_Status status = sane_start(handle);
        if (status != SANE_STATUS_GOOD) return fail(sane_strstatus(status));
        SANE_Parameters p;
        status = sane_get_parameters(handle, &p);
        if (status != SANE_STATUS_GOOD) return fail(sane_strstatus(status));

        bool gray = p.format == SANE_FRAME_GRAY;
        bool rgb = p.format == SANE_FRAME_RGB;
        bool single = p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
        if (!gray && !rgb && !single) return fail("unsupported frame format");
        if (!(p.depth == 8 || p.depth == 16 || (p.depth == 1 && gray))) return fail("unsupported depth " + std::to_string(p.depth));
        int samplesPerPixel = rgb ? 3 : 1;
        long long needed = (static_cast<long long>(p.pixels_per_line) * samplesPerPixel * p.depth + 7) / 8;
        if (p.pixels_per_line <= 0 || p.lines == 0 || p.lines < -1 || p.bytes_per_line < needed) return fail("bad scan parameters");
        if (p.lines > 0 && static_cast<long long>(p.pixels_per_line) * p.lines > kMaxImagePixels) return fail("page too large");

        std::size_t bytesPerLine = static_cast<std::size_t>(p.bytes_per_line);
        std::size_t maxBytes = static_cast<std::size_t>(kMaxImagePixels / p.pixels_per_line + 1) * bytesPerLine;
        std::size_t expected = p.lines > 0 ? bytesPerLine * static_cast<std::size_t>(p.lines) : 0;
        std::vector<std::uint8_t> data(expected > 0 ? expected : bytesPerLine * 64);
        std::size_t used = 0;
        bool ended = false;
        for (;;) {
            if (used == data.size()) {
                if (expected > 0) break;  // every promised byte came
                if (data.size() >= maxBytes) return fail("page too large");
                data.resize(std::min(maxBytes, data.size() * 2));
            }
            SANE_Int length = 0;
            SANE_Int room = static_cast<SANE_Int>(std::min<std::size_t>(data.size() - used, 1 << 20));
            status = sane_read(handle, data.data() + used, room, &length);
            if (status == SANE_STATUS_EOF) {
                ended = true;
                break;
            }
            if (status != SANE_STATUS_GOOD) return fail(sane_strstatus(status));
            used += static_cast<std::size_t>(std::max<SANE_Int>(length, 0));
        }
        // Read on to EOF so the frame is finished before the next sane_start.
        for (std::size_t extra = 0; !ended;) {
            std::uint8_t spare[4096];
            SANE_Int length = 0;
            status = sane_read(handle, spare, sizeof spare, &length);
            if (status == SANE_STATUS_EOF) ended = true;
            else if (status != SANE_STATUS_GOOD) return fail(sane_strstatus(status));
            else if ((extra += static_cast<std::size_t>(std::max<SANE_Int>(length, 0))) > maxBytes) return fail("page too large");
        }
        int lines = static_cast<int>(used / bytesPerLine);
        if (lines == 0) return fail("empty page");

        int width = p.pixels_per_line;
        if (single) {
            if (channelsSeen == 0) page = PixelBuffer::Blank(width, lines, PixelFormat::Rgb24, 0);
            else if (page.width != width || page.height != lines) return fail("colour passes differ in size");
            int channel = p.format == SANE_FRAME_RED ? 0 : p.format == SANE_FRAME_GREEN ? 1 : 2;
            channelsSeen |= 1 << channel;
            for (int y = 0; y < lines; ++y) {
                const std::uint8_t* row = data.data() + static_cast<std::size_t>(y) * bytesPerLine;
                std::uint8_t* out = page.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(page.stride);
                for (int x = 0; x < width; ++x) out[3 * x + channel] = static_cast<std::uint8_t>(Sample(row, x, p.depth));
            }
        } else {
            page = PixelBuffer::Blank(width, lines, rgb ? PixelFormat::Rgb24 : PixelFormat::Gray8, 0);
            int samples = width * samplesPerPixel;
            for (int y = 0; y < lines; ++y) {
                const std::uint8_t* row = data.data() + static_cast<std::size_t>(y) * bytesPerLine;
                std::uint8_t* out = page.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(page.stride);
                for (int s = 0; s < samples; ++s) out[s] = static_cast<std::uint8_t>(Sample(row, s, p.depth));
            }
        }
        if (p.last_frame) break;
        if (!single) return fail("a further frame after a complete image");
    }
    if (channelsSeen != 0 && channelsSeen != 7) return fail("a colour pass is missing");
    ++pages_;
    return page;
}

}  // namespace quillmark

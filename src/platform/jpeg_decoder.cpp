// Through libjpeg's own interface rather than TurboJPEG's: TurboJPEG keeps only the first
// warning of a decode, so a harmless one would hide a file that ends early after it.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE without including it

#include <jpeglib.h>
#include <jerror.h>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

// Refuses progressive files built to take minutes, as TurboJPEG's scan limit does.
constexpr int kMaxScans = 500;
// A progressive file keeps every coefficient of the image until its last scan, whatever
// the scale it is decoded at: a small file can ask for gigabytes. libjpeg stops with
// JERR_NO_BACKING_STORE beyond this.
constexpr long kMaxDecoderBytes = 256L << 20;

struct ErrorHandler {
    jpeg_error_mgr library;  // first: libjpeg hands back a pointer to it
    std::jmp_buf stop;
};

[[noreturn]] void Stop(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorHandler*>(info->err)->stop, 1); }

// libjpeg only warns when the data ends early or is corrupt, and paints grey where it could
// not decode; such a file is as damaged as one it refuses. Other warnings (bytes before a
// marker, an unknown JFIF version, a bad ICC profile) leave every pixel decoded.
void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
            Stop(info);
        default:
            break;
    }
}

void OnProgress(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) Stop(info);
}

// Each stage returns to its own setjmp; no object in these frames has a destructor for the
// jump to skip.
bool ReadHeader(jpeg_decompress_struct& info, ErrorHandler& errors, std::string_view bytes) {
    if (setjmp(errors.stop)) return false;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    return jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
}

// Sets the output colour space and scale, then the output size.
bool PlanOutput(jpeg_decompress_struct& info, ErrorHandler& errors, J_COLOR_SPACE space, unsigned denominator) {
    if (setjmp(errors.stop)) return false;
    info.out_color_space = space;
    info.scale_num = 1;
    info.scale_denom = denominator;
    jpeg_calc_output_dimensions(&info);
    return true;
}

bool ReadPixels(jpeg_decompress_struct& info, ErrorHandler& errors, std::uint8_t* out, std::size_t stride) {
    if (setjmp(errors.stop)) return false;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        // A few rows a call: scaled decoding hands out up to four at once.
        JSAMPROW rows[4];
        const JDIMENSION count = std::min<JDIMENSION>(4, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = out + (info.output_scanline + i) * stride;
        jpeg_read_scanlines(&info, rows, count);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

RawDecode DecodeJpeg(std::string_view bytes) {
    RawDecode result;
    jpeg_decompress_struct info{};
    ErrorHandler errors{};
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = Stop;
    errors.library.emit_message = OnMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;
    jpeg_create_decompress(&info);
    info.progress = &progress;
    info.mem->max_memory_to_use = kMaxDecoderBytes;
    struct Destroy {
        jpeg_decompress_struct* info;
        ~Destroy() { jpeg_destroy_decompress(info); }
    } destroy{&info};

    if (!ReadHeader(info, errors, bytes) || info.image_width == 0 || info.image_height == 0) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    const long long width = info.image_width;
    const long long height = info.image_height;
    if (width * height > kMaxStoredPixels) {
        result.status = TooLargeProblem(width, height, kMaxStoredPixels);
        return result;
    }
    // libjpeg cannot turn CMYK into RGB, and guessing the ink model would shift the greys.
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        result.status = Status::Error(UI_TEXT_NOOP("ImageFiles", "不支持CMYK颜色的JPEG图像"));
        return result;
    }

    // The engine reads luminance only. A YCbCr file stores it: its Y channel, decoded alone,
    // is what the engine's weights (those of Y) make of the colours, and its colour channels
    // need not be decoded at all. Other colour files are decoded as RGB.
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr;
    // A fine scan is decoded reduced: libjpeg scales while it transforms the blocks back
    // (1/2, 1/4, 1/8), far cheaper than decoding every pixel and averaging them after.
    const int factor = ReductionFactor(width, height);
    const unsigned denominator = static_cast<unsigned>(std::min(factor, 8));
    if (!PlanOutput(info, errors, grey ? JCS_GRAYSCALE : JCS_RGB, denominator)) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    const long long outWidth = info.output_width;
    const long long outHeight = info.output_height;
    if (outWidth * outHeight > kMaxImagePixels) {
        result.status = TooLargeProblem(outWidth, outHeight);
        return result;
    }
    PixelBuffer& out = result.pixels;
    out = PixelsFor(static_cast<int>(outWidth), static_cast<int>(outHeight), grey ? PixelFormat::Gray8 : PixelFormat::Rgb24);

    if (!ReadPixels(info, errors, out.bytes.data(), static_cast<std::size_t>(out.stride))) {
        result.pixels = PixelBuffer();
        result.status = Status::Error(errors.library.msg_code == JERR_NO_BACKING_STORE
                                          ? FillForm(UiText("ImageFiles", "图像太大（解码所需内存超过%1 MB）"),
                                                     {std::to_string(kMaxDecoderBytes >> 20)})
                                          : kCorruptImage);
    }
    return result;
}

}  // namespace quillmark::detail

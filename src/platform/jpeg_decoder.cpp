// Through libjpeg's own interface rather than TurboJPEG's: TurboJPEG keeps only the first
// warning of a decode, so a harmless one would hide a file that ends early after it.
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

bool ReadPixels(jpeg_decompress_struct& info, ErrorHandler& errors, std::uint8_t* out, std::size_t stride) {
    if (setjmp(errors.stop)) return false;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out + info.output_scanline * stride;
        jpeg_read_scanlines(&info, &row, 1);
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
    struct Destroy {
        jpeg_decompress_struct* info;
        ~Destroy() { jpeg_destroy_decompress(info); }
    } destroy{&info};

    if (!ReadHeader(info, errors, bytes) || info.image_width == 0 || info.image_height == 0) {
        result.problem = kCorruptImage;
        return result;
    }
    const long long width = info.image_width;
    const long long height = info.image_height;
    if (width * height > kMaxImagePixels) {
        result.problem = TooLargeProblem(width, height);
        return result;
    }
    // libjpeg cannot turn CMYK into RGB, and guessing the ink model would shift the greys.
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        result.problem = "不支持CMYK颜色的JPEG图像";
        return result;
    }

    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    PixelBuffer& out = result.pixels;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.format = grey ? PixelFormat::Gray8 : PixelFormat::Rgb24;
    out.stride = out.width * (grey ? 1 : 3);
    out.bytes.resize(static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(height));

    if (!ReadPixels(info, errors, out.bytes.data(), static_cast<std::size_t>(out.stride))) {
        result.pixels = PixelBuffer();
        result.problem = kCorruptImage;
    }
    return result;
}

}  // namespace quillmark::detail

// Sheet image decoding of every format (JPEG, BMP, PNG, TIFF, PDF), first page.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/sheet_image.h"  // PixelBuffer
#include "fuzz_check.h"
#include "platform/image_decoder.h"

namespace qm = quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qm::DecodedImage decoded = qm::DecodeImageBytes(bytes, "f");
    if (!decoded.ok()) {
        // The file's name, the page of a file of pages, then why.
        FUZZ_CHECK(decoded.status.message().rfind("无法读取图像文件“f”", 0) == 0);
        FUZZ_CHECK(decoded.status.message().find("：") != std::string::npos);
        FUZZ_CHECK(decoded.pixels.bytes.empty());
        return 0;
    }
    const qm::PixelBuffer& image = decoded.pixels;
    FUZZ_CHECK(image.width > 0 && image.height > 0);
    FUZZ_CHECK(static_cast<long long>(image.width) * image.height <= qm::kMaxImagePixels);
    int depth = 0;
    switch (image.format) {
        case qm::PixelFormat::Gray8: depth = 1; break;
        case qm::PixelFormat::Rgb24: depth = 3; break;
        case qm::PixelFormat::Bgrx32: depth = 4; break;
    }
    FUZZ_CHECK(depth > 0 && image.stride >= image.width * depth);
    FUZZ_CHECK(image.bytes.size() == static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height));
    return 0;
}

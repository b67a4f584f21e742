#include "image_fingerprint.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace quillmark {

std::string ImageFingerprint(const PixelBuffer& image) {
    // FNV-1a over 8-byte words of each row's pixels (never the padding after them, which a
    // reused buffer may leave as it was): fast enough for every sheet, stable across builds.
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint64_t word) { hash = (hash ^ word) * 1099511628211ull; };
    mix(static_cast<std::uint64_t>(image.width) << 32 | static_cast<std::uint32_t>(image.height));
    std::size_t pixelBytes = image.format == PixelFormat::Gray8 ? 1 : image.format == PixelFormat::Rgb24 ? 3 : 4;
    std::size_t rowBytes = pixelBytes * static_cast<std::size_t>(std::max(image.width, 0));
    for (int y = 0; y < image.height; ++y) {
        std::size_t start = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride);
        if (start + rowBytes > image.bytes.size()) break;
        const std::uint8_t* row = image.bytes.data() + start;
        std::size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, row + i, 8);
            mix(word);
        }
        for (; i < rowBytes; ++i) mix(row[i]);
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace quillmark

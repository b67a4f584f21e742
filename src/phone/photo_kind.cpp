#include "photo_kind.h"

#include <cstring>

namespace quillmark {
namespace {

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The dimensions from the first start-of-frame marker, walking the segments before it.
PhotoKind JpegKind(std::string_view bytes) {
    PhotoKind kind;
    kind.format = PhotoKind::Jpeg;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (static_cast<unsigned char>(bytes[at]) != 0xFF) return kind;
        unsigned marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        std::uint32_t length = BigEndian(bytes, at + 2, 2);
        bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 9 > bytes.size()) return kind;
            kind.height = BigEndian(bytes, at + 5, 2);
            kind.width = BigEndian(bytes, at + 7, 2);
            return kind;
        }
        if (length < 2 || marker == 0xDA || marker == 0xD9) return kind;
        at += 2 + length;
    }
    return kind;
}

}  // namespace

PhotoKind SniffPhoto(std::string_view bytes) {
    static constexpr unsigned char kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() >= 24 && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0 && bytes.substr(12, 4) == "IHDR") {
        PhotoKind kind;
        kind.format = PhotoKind::Png;
        kind.width = BigEndian(bytes, 16, 4);
        kind.height = BigEndian(bytes, 20, 4);
        return kind;
    }
    if (bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8 &&
        static_cast<unsigned char>(bytes[2]) == 0xFF) {
        return JpegKind(bytes);
    }
    return {};
}

}  // namespace quillmark

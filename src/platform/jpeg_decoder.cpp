#include <turbojpeg.h>

#include <memory>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {

RawDecode DecodeJpeg(std::string_view bytes) {
    RawDecode result;
    std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    if (!decoder) {
        result.problem = "JPEG解码器无法启动";
        return result;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());

    int width = 0, height = 0, subsampling = 0, colourSpace = 0;
    if (tjDecompressHeader3(decoder.get(), data, size, &width, &height, &subsampling, &colourSpace) != 0 ||
        width <= 0 || height <= 0) {
        result.problem = kCorruptImage;
        return result;
    }
    if (static_cast<long long>(width) * height > kMaxImagePixels) {
        result.problem = TooLargeProblem(width, height);
        return result;
    }
    // libjpeg cannot turn CMYK into RGB, and guessing the ink model would shift the greys.
    if (colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK) {
        result.problem = "不支持CMYK颜色的JPEG图像";
        return result;
    }

    const bool grey = colourSpace == TJCS_GRAY;
    PixelBuffer& out = result.pixels;
    out.width = width;
    out.height = height;
    out.format = grey ? PixelFormat::Gray8 : PixelFormat::Rgb24;
    out.stride = width * (grey ? 1 : 3);
    out.bytes.resize(static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(height));

    // LIMITSCANS refuses progressive files built to take minutes; warnings (a slightly short
    // file, a bad Huffman code) still leave every row written, so only fatal errors fail.
    if (tjDecompress2(decoder.get(), data, size, out.bytes.data(), width, out.stride, height,
                      grey ? TJPF_GRAY : TJPF_RGB, TJFLAG_LIMITSCANS) != 0 &&
        tjGetErrorCode(decoder.get()) != TJERR_WARNING) {
        result.pixels = PixelBuffer();
        result.problem = kCorruptImage;
    }
    return result;
}

}  // namespace quillmark::detail

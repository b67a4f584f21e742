// Decoding a whole A4 scan at 200 and 300 dpi: JPEG in grey and colour (quality 85) and an
// uncompressed 24-bit BMP. The files are made in memory once, so only decoding is timed.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QBuffer>
#include <QImage>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/image_decoder.h"

namespace {

struct Page {
    int width;
    int height;
};

Page PageAt(int dpi) { return dpi == 300 ? Page{2480, 3508} : Page{1654, 2339}; }

// White paper with sensor noise, a ruled answer grid (red on the colour page) and some
// filled marks, as RGB bytes.
std::vector<std::uint8_t> DrawPage(Page page, bool colour) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(page.width) * page.height * 3);
    std::uint32_t seed = 12345;
    const int left = page.width / 10, right = page.width - left;
    const int top = page.height / 10, bottom = page.height - top;
    const int pitch = page.width / 40;
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int paper = 255 - static_cast<int>(seed >> 28);  // 240..255
            int r = paper, g = paper, b = paper;
            bool inside = x >= left && x < right && y >= top && y < bottom;
            bool rule = inside && ((y - top) % pitch < 3 || (x - left) % (3 * pitch) < 3);
            bool mark = inside && (x - left) % (3 * pitch) > pitch && (x - left) % (3 * pitch) < 2 * pitch &&
                        (y - top) % pitch > pitch / 4 && (y - top) % pitch < 3 * pitch / 4 &&
                        ((x - left) / (3 * pitch) * 7 + (y - top) / pitch) % 5 == 0;
            if (rule) {
                r = colour ? 210 : 20;
                g = colour ? 40 : 20;
                b = colour ? 50 : 20;
            } else if (mark) {
                r = g = b = 40 + static_cast<int>(seed >> 27);
            }
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * page.width + x) * 3];
            p[0] = static_cast<std::uint8_t>(r);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(b);
        }
    }
    return rgb;
}

std::string Jpeg(Page page, bool colour) {
    std::vector<std::uint8_t> rgb = DrawPage(page, colour);
    std::vector<std::uint8_t> pixels = rgb;
    if (!colour) {
        pixels.resize(static_cast<std::size_t>(page.width) * page.height);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = rgb[3 * i];
    }
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(encoder, pixels.data(), page.width, 0, page.height, colour ? TJPF_RGB : TJPF_GRAY, &jpeg,
                         &size, colour ? TJSAMP_420 : TJSAMP_GRAY, 85, 0);
    std::string bytes = rc == 0 ? std::string(reinterpret_cast<char*>(jpeg), size) : std::string();
    tjFree(jpeg);
    tjDestroy(encoder);
    if (bytes.empty()) throw std::runtime_error("tjCompress2 failed");
    return bytes;
}

std::string Bmp(Page page, bool colour) {
    std::vector<std::uint8_t> rgb = DrawPage(page, colour);
    QImage image(rgb.data(), page.width, page.height, page.width * 3, QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    if (!image.save(&device, "BMP")) throw std::runtime_error("BMP writing failed");
    return bytes.toStdString();
}

const std::string& File(bool jpeg, int dpi, bool colour) {
    static std::map<std::tuple<bool, int, bool>, std::string> made;
    std::string& bytes = made[{jpeg, dpi, colour}];
    if (bytes.empty()) bytes = jpeg ? Jpeg(PageAt(dpi), colour) : Bmp(PageAt(dpi), colour);
    return bytes;
}

void Decode(benchmark::State& state, bool jpeg) {
    const int dpi = static_cast<int>(state.range(0));
    const bool colour = state.range(1) != 0;
    const std::string& bytes = File(jpeg, dpi, colour);
    for (auto _ : state) {
        quillmark::DecodedImage decoded = quillmark::DecodeImageBytes(bytes, "page");
        if (!decoded.ok()) {
            state.SkipWithError(decoded.status.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(decoded.pixels.bytes.data());
    }
    Page page = PageAt(dpi);
    state.SetItemsProcessed(state.iterations() * page.width * page.height);
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_DecodeJpeg(benchmark::State& state) { Decode(state, true); }
void BM_DecodeBmp24(benchmark::State& state) { Decode(state, false); }

}  // namespace

// Arguments: dpi, colour (0 grey page, 1 colour page).
BENCHMARK(BM_DecodeJpeg)->ArgsProduct({{200, 300}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp24)->ArgsProduct({{200, 300}, {0, 1}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

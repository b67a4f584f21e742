#include "type_code.h"

#include <algorithm>
#include <cmath>

namespace quillmark {
namespace type_code_detail {

// How far from the middle, in shares of the dark-to-light spread, a clear block lies.
constexpr double kClearShareOfSpread = 0.3;

int SampleAt(const SheetImage& image, const FrameGeometry& frame, double k, double f) {
    const auto& [c1, c2, c3, c4] = frame.corners;
    double x = 0, y = 0;
    switch (frame.orientation) {
        case UpsideDown:
            x = c3.x - k * (c3.x - c4.x) / 600;
            y = c3.y - k * (c3.y - c4.y) / 600 + (c1.y - c3.y) / f;
            break;
        case TopAtLeft:
            x = c1.x - k * (c1.x - c3.x) / 600 + (c4.x - c1.x) / f;
            y = c1.y - k * (c1.y - c3.y) / 600;
            break;
        case TopAtRight:
            x = c4.x - k * (c4.x - c2.x) / 600 + (c3.x - c4.x) / f;
            y = c4.y - k * (c4.y - c2.y) / 600;
            break;
        default:
            x = c2.x - k * (c2.x - c1.x) / 600;
            y = c2.y - k * (c2.y - c1.y) / 600 + (c4.y - c2.y) / f;
            break;
    }
    return image.luminanceAt(x, y);
}

int FindCodeEnd(const int (&luminance)[301], int threshold) {
    bool dark = true;
    int run = 0;
    int end = 0;
    for (int k = 1; k <= 300; ++k) {
        int L = luminance[k];
        ++run;
        if (dark) {
            if (L > threshold) {
                dark = false;
                if (run > 10) end = k;
                run = 0;
            }
        } else if (L < threshold) {
            dark = true;
            run = 0;
        }
    }
    return end;
}

}  // namespace type_code_detail

std::string ReadTypeCode(const SheetImage& image, const FrameGeometry& frame) {
    return ReadTypeCodeChecked(image, frame).code;
}

TypeCodeReading ReadTypeCodeChecked(const SheetImage& image, const FrameGeometry& frame) {
    using namespace type_code_detail;
    int sum = 0;
    for (int k = 0; k <= 300; k += 10) sum += SampleAt(image, frame, k, 100);
    int threshold = static_cast<int>(RoundEven(sum / 30.0));

    int luminance[301] = {};
    for (int k = 1; k <= 300; ++k) luminance[k] = SampleAt(image, frame, k, 100);
    int end = FindCodeEnd(luminance, threshold);

    TypeCodeReading reading;
    double farthest = 0;
    std::vector<double> margins, averages;
    for (int b = 1; b <= 10; ++b) {
        int count = 0;
        double total = 0;
        for (int m = 3; m <= end / 10.0 - 3; ++m) {
            double k = m + end * (b - 1) / 10.0;
            total += SampleAt(image, frame, k, 150);
            ++count;
        }
        double average = count == 0 ? 0 : total / count;
        averages.push_back(average);
        reading.code += average > threshold ? '0' : '1';
        margins.push_back(std::fabs(average - threshold));
        farthest = std::max(farthest, margins.back());
    }
    // A block is unclear when it lies near the middle between the dark and the light blocks
    // read, or on the other side of that middle than of the threshold. The threshold, the
    // strip's mean, is no measure of clearness: the blocks of the code's commoner kind sit
    // near it on every sheet, however clearly printed.
    double dark = 0, light = 0;
    int darkCount = 0, lightCount = 0;
    for (std::size_t b = 0; b < averages.size(); ++b) {
        (reading.code[b] == '1' ? dark : light) += averages[b];
        ++(reading.code[b] == '1' ? darkCount : lightCount);
    }
    double spread = darkCount && lightCount ? light / lightCount - dark / darkCount : 0;
    double middle = darkCount && lightCount ? (light / lightCount + dark / darkCount) / 2 : 0;
    for (std::size_t b = 0; b < margins.size(); ++b) {
        bool darkBlock = reading.code[b] == '1';
        bool unclear = spread > 0 ? std::fabs(averages[b] - middle) < kClearShareOfSpread * spread ||
                                        darkBlock != (averages[b] < middle)
                                  : margins[b] < 0.3 * farthest;
        if (unclear) reading.unclearBlocks.push_back(static_cast<int>(b));
    }
    reading.clear = reading.unclearBlocks.empty();
    return reading;
}

std::vector<std::string> OtherInstalledReadings(const TypeCodeReading& code, const SheetTypeCatalog& catalog) {
    std::vector<std::string> others;
    const std::vector<int>& unclear = code.unclearBlocks;
    for (unsigned flips = 1; unclear.size() < 16 && flips < (1u << unclear.size()); ++flips) {
        std::string other = code.code;
        for (std::size_t i = 0; i < unclear.size(); ++i) {
            std::size_t block = static_cast<std::size_t>(unclear[i]);
            if ((flips & (1u << i)) && block < other.size()) other[block] = other[block] == '1' ? '0' : '1';
        }
        if (other != code.code && catalog.Find(other)) others.push_back(other);
    }
    return others;
}

bool CodeKnown(const TypeCodeReading& code, const SheetTypeCatalog& catalog) {
    return code.unclearBlocks.size() < 16 && OtherInstalledReadings(code, catalog).empty();
}

}  // namespace quillmark

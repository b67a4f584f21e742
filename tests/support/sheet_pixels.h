#pragma once

// Pixel work shared by the filled-sheet generator: inks, geometry and what a capture device
// does to a page. Images are Gray8 or Rgb24; every operation treats the channels alike.
#include <cstdint>
#include <random>
#include <vector>

#include "engine/sheet_image.h"

namespace quillmark::test {

using Random = std::mt19937_64;

double Uniform(Random& random, double lo, double hi);
bool Chance(Random& random, double p);

// An ink as the factor (0..255 of white) it leaves on white paper, per channel.
struct Ink {
    double red = 255, green = 255, blue = 255;
    static Ink Grey(double grey) { return {grey, grey, grey}; }
};

int Channels(const PixelBuffer& image);
std::uint8_t* PixelAt(PixelBuffer& image, int x, int y);

// Like graphite or ink on paper: the paper's value is multiplied by the ink's.
void Darken(PixelBuffer& image, int x, int y, double grey);
void Darken(PixelBuffer& image, int x, int y, const Ink& ink);

// quarterTurns 1: top to the left, 2: top to the right, 3: upside down.
PixelBuffer Turn(const PixelBuffer& source, int quarterTurns);
// Rotation about the centre (positive counter-clockwise), scale and shift; white outside.
PixelBuffer Transform(const PixelBuffer& source, double degrees, double scale, double shiftX, double shiftY);

// A camera's view: rotation, scale and shift as Transform, then a projective squeeze that makes
// one edge `keystone` (share) shorter than the opposite one; `background` grey outside.
struct CameraView {
    double degrees = 0, scale = 1, shiftX = 0, shiftY = 0;
    double keystone = 0;
    int keystoneSide = 0;  // 0 top, 1 bottom, 2 left, 3 right: the shorter edge
    int background = 255;
    double deskGrain = 0;  // 0..1: the wood grain of a desk around the sheet, over `background`
};
PixelBuffer Photograph(const PixelBuffer& source, const CameraView& view);

// A page lifted near its left or right side: the content there is squeezed towards the side
// and bowed, and shaded. `lift` in pixels of displacement at the side, over `band` pixels.
void CurlPage(PixelBuffer& image, bool rightSide, double lift, double band);

void BoxBlur(PixelBuffer& image, int radius);
// Darkening towards the corners, 0..1 at the corners.
void Vignette(PixelBuffer& image, double strength);
// A dark band along one edge (0 top, 1 bottom, 2 left, 3 right), darkest at the edge.
void LidShadow(PixelBuffer& image, int edge, double darkness, double width);
// A thin dark line down the whole image at column x.
void Streak(PixelBuffer& image, int x, int width, double grey);
// Steeper tone curve around `middle`; a large gain leaves little but black and white.
// Paper and print as a scanner sees them: white at `white`, black at `black`, the tones
// between mapped in proportion.
void ToneRange(PixelBuffer& image, double black, double white);
void HarshContrast(PixelBuffer& image, double gain, double middle);

// What happens to the paper before it is captured, in page pixels (the page upright).
// Creases across the page at `ys` (pixels): a thin line and a soft shadow on one side.
void FoldCreases(PixelBuffer& page, const std::vector<int>& ys, double dotsPerMm);
// Holes punched 6 mm wide, centred 12 mm from the left edge, at `ys` (pixels); the backing
// seen through them has the grey `backing`.
void PunchHoles(PixelBuffer& page, const std::vector<int>& ys, int backing, double dotsPerMm);
// The print of the page's back seen through the paper: the page mirrored left to right,
// pale by `strength` (0..1).
void ShowThrough(PixelBuffer& page, double strength);

}  // namespace quillmark::test

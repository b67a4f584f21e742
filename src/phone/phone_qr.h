#pragma once

#include <string>
#include <vector>

namespace quillmark {

// A QR code as dark (true) and light modules, row by row, without the quiet zone.
struct QrCode {
    int size = 0;  // modules a side; 0 when the text could not be encoded
    std::vector<bool> dark;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size && dark[static_cast<std::size_t>(y * size + x)]; }
};

// Medium error correction: a phone on a desk reads it from a screen at arm's length.
QrCode EncodeQr(const std::string& text);

// The code for a terminal: two module rows a text line, drawn with half blocks, light on
// dark as terminals show it, within a quiet zone of two modules.
std::string QrForTerminal(const QrCode& code);

}  // namespace quillmark

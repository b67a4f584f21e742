#include "phone_qr.h"

#include <qrencode.h>

namespace quillmark {

QrCode EncodeQr(const std::string& text) {
    QrCode code;
    QRcode* encoded = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
    if (!encoded) return code;
    code.size = encoded->width;
    code.dark.resize(static_cast<std::size_t>(code.size) * static_cast<std::size_t>(code.size));
    for (std::size_t i = 0; i < code.dark.size(); ++i) code.dark[i] = (encoded->data[i] & 1) != 0;
    QRcode_free(encoded);
    return code;
}

std::string QrForTerminal(const QrCode& code) {
    constexpr int kQuiet = 2;
    std::string out;
    // A terminal draws text light on dark, so the code's light modules are the drawn ones.
    for (int y = -kQuiet; y < code.size + kQuiet; y += 2) {
        for (int x = -kQuiet; x < code.size + kQuiet; ++x) {
            bool top = !code.at(x, y), bottom = !code.at(x, y + 1) && y + 1 < code.size + kQuiet;
            out += top && bottom ? "█" : top ? "▀" : bottom ? "▄" : " ";
        }
        out += "\n";
    }
    return out;
}

}  // namespace quillmark

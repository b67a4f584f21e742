#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "data/number_text.h"
#include "engine/frame.h"
#include "preview.h"

namespace quillmark {

// The zoom box of the marking page and the preview zoom it governs.
class ZoomBox {
public:
    static constexpr double kMinZoom = 0.1;
    static constexpr double kMaxZoom = 10;

    const std::string& Text() const { return text_; }
    double PreviewZoom() const { return previewZoom_; }

    // The text was changed to `text`. A value in 0.1..10 is taken and the text rewritten in
    // plain form; anything else is left as typed and the zoom kept. True when the preview
    // must be repainted.
    bool TextChanged(std::string text);
    // Leaving the box holds the value to 0.1..10 and takes it; always repaints.
    bool FocusLost();
    // Sets the zoom and leaves the text alone.
    void SetPreviewZoom(double zoom) { previewZoom_ = zoom; }

private:
    std::string text_ = "2";
    double previewZoom_ = 0;
};

// The preview controls of the marking page, in their starting state.
struct MarkingParameters {
    ZoomBox zoom;
    bool fixedZoom = true;
    int orientation = 向上;

    PixelBuffer Preview(const SheetImage& source, int previewWidth, int previewHeight, Colour background) const {
        return RefreshPreview(source, previewWidth, previewHeight, orientation, zoom.PreviewZoom(), fixedZoom,
                              background);
    }
};

// What marking starts with once both the paper and the roster are chosen.
struct MarkingStart {
    double previewZoom = 2;
    RecognitionSettings recognition;
    int 线与单元格比例 = 0;
};

struct StartMarkingState {
    bool paperNextEnabled = false;   // "next" on the paper page
    bool rosterNextEnabled = false;  // "next" on the roster page
    bool markingPageAvailable = false;
    bool Mnu_Scan_阅卷 = false;      // the menu entry is enabled
    std::optional<MarkingStart> start;
};

// The pages and menu that depend on the chosen paper and roster. With both chosen the
// recognition settings are read from the system settings file (section DATIKA of
// "\SYS\SYS.CHO"): 边框线数, 预计图像宽度与线比例, then 线与单元格比例.
StartMarkingState 刷新开始阅卷按钮(bool paperChosen, bool rosterChosen, const std::filesystem::path& programFolder);

}  // namespace quillmark

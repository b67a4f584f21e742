#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "marking_pipeline.h"
#include "platform/image_decoder.h"

namespace quillmark {

inline constexpr char kSingleDoneMessage[] = "阅卷完成!请单击“下一步”查看成绩。";
inline constexpr char kBatchDoneMessage[] = "全部阅卷完成!请单击“下一步”查看成绩。";
inline constexpr char kNoDeviceMessage[] =
    "    该功能需要调用图像输入设备（如：扫描仪、带联机拍摄功能的数码相机或视频摄像头）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！";
inline constexpr char kDeviceSelectionMessage[] =
    "    该功能需要调用图像输入设备（如：数码相机、扫描仪）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！";

// Decodes one sheet (a page) of an image file; the platform's decoder in the program, a
// fake in tests.
using ImageLoader = std::function<DecodedImage(const SheetSource&)>;

// Counts the pages of an image file without decoding them; the platform's counter in the
// program. Without one every file is one sheet.
using PageCounter = std::function<PageCount(const std::filesystem::path&)>;

// Decoded sheets a batch may hold ahead of the one being finished, whatever its threads.
inline constexpr std::size_t kDefaultBatchMemoryBudget = std::size_t{512} << 20;

// Where marking happens: the records, the settings and the user.
struct MarkingContext {
    std::filesystem::path programFolder;
    MarkingSettings settings;
    ResultSet* records = nullptr;
    MarkingUi* ui = nullptr;
    ImageLoader load;
    int threads = 1;  // for folder batches: sheets prepared ahead on worker threads
    // Told about every sheet in order: its outcome, or the error when it could not be read.
    std::function<void(const SheetSource&, const SheetOutcome*, const std::string& error)> onSheet;
    std::size_t memoryBudget = kDefaultBatchMemoryBudget;
    PageCounter countPages = {};
};

// The image files of a batch folder: every "*.JPG", "*.JPEG" and "*.JFIF" file (one group),
// then "*.BMP", "*.PNG", "*.TIF" and "*.TIFF" (one group), "*.PDF", letter case ignored, each
// group by name.
std::vector<std::filesystem::path> BatchFiles(const std::filesystem::path& folder);

// The sheets of the files in order, every page of a file of several pages; a file whose
// pages cannot be counted is one sheet that carries the error.
std::vector<SheetSource> SheetsOf(const std::vector<std::filesystem::path>& files, const PageCounter& countPages);

// Marks one file (every page of it) and reports completion, whatever became of the sheets.
std::vector<SheetOutcome> MarkFile(const std::filesystem::path& file, MarkingContext& context);

// Marks every image of a folder (as BatchFiles lists them); a file that cannot be decoded
// is reported and the batch goes on.
std::vector<SheetOutcome> MarkFolder(const std::filesystem::path& folder, MarkingContext& context);

// Marks the given files in order, page by page, preparing sheets ahead on
// `context.threads` threads. Outcomes, messages and dialogs are those of marking them one
// by one.
std::vector<SheetOutcome> MarkFiles(const std::vector<std::filesystem::path>& files, MarkingContext& context);
std::vector<SheetOutcome> MarkSheets(const std::vector<SheetSource>& sheets, MarkingContext& context);

// A scanner or camera: the device chosen for the run delivers one page per request.
class ImageDevice {
public:
    virtual ~ImageDevice() = default;
    // 1 with a page in `image`, 0 when nothing came (cancelled, feeder empty, no device).
    virtual int Acquire(PixelBuffer& image) = 0;
    // Asks an Acquire in progress on another thread to end early, delivering nothing.
    virtual void CancelAcquire() {}
};

// Asks the device for sheets until it delivers none; tells the user when it never did.
std::vector<SheetOutcome> MarkFromDevice(ImageDevice& device, MarkingContext& context);

}  // namespace quillmark

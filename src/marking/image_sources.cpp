#include "image_sources.h"

#include <algorithm>

#include "batch_preparer.h"
#include "data/program_paths.h"
#include "data/text_fns.h"

namespace quillmark {

std::vector<std::filesystem::path> BatchFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    // Groups in order, each by name; every spelling of a format's extension is one group
    // (the format is told by content anyway). Exactly as listed: " a.bmp" and "a.bmp" are
    // two sheets.
    const std::vector<std::vector<const char*>> groups = {
        {"*.JPG", "*.JPEG", "*.JFIF"}, {"*.BMP"}, {"*.PNG"}, {"*.TIF", "*.TIFF"}, {"*.PDF"}};
    for (const std::vector<const char*>& patterns : groups) {
        std::vector<std::string> names;
        for (const char* pattern : patterns) {
            for (std::string& name : ListFiles(folder, pattern)) names.push_back(std::move(name));
        }
        std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            if (LessIgnoringCase(a, b)) return true;
            if (LessIgnoringCase(b, a)) return false;
            return a < b;
        });
        for (const std::string& name : names) files.push_back(folder / name);
    }
    return files;
}

std::vector<SheetSource> SheetsOf(const std::vector<std::filesystem::path>& files, const PageCounter& countPages) {
    std::vector<SheetSource> sheets;
    sheets.reserve(files.size());
    for (const std::filesystem::path& file : files) {
        SheetSource sheet;
        sheet.file = file;
        PageCount count;
        count.pages = 1;
        if (countPages) count = countPages(file);
        if (!count.ok() || count.pages < 1) {
            sheet.error = count.ok() ? "无法读取图像文件“" + file.string() + "”：文件中没有图像。" : count.error;
            sheets.push_back(std::move(sheet));
            continue;
        }
        sheet.pageCount = count.pages;
        for (int page = 1; page <= count.pages; ++page) {
            sheet.page = page;
            sheets.push_back(sheet);
        }
    }
    return sheets;
}

std::vector<SheetOutcome> MarkFile(const std::filesystem::path& file, MarkingContext& context) {
    std::vector<SheetSource> sheets = SheetsOf({file}, context.countPages);
    std::vector<SheetOutcome> outcomes;
    if (sheets.size() > 1) {
        context.ui->ProgressStarted();
        outcomes = MarkSheets(sheets, context);
        context.ui->ProgressStopped();
        context.ui->ShowMessage(kSingleDoneMessage);
        return outcomes;
    }
    const SheetSource& source = sheets.front();
    DecodedImage decoded;
    if (source.error.empty()) decoded = context.load(source);
    else decoded.error = source.error;
    if (!decoded.ok()) {
        context.ui->ShowMessage(decoded.error);
        if (context.onSheet) context.onSheet(source, nullptr, decoded.error);
        return outcomes;
    }
    context.ui->ProgressStarted();
    PreparedSheet sheet = PrepareSheet(std::move(decoded.pixels), context.settings, context.programFolder);
    outcomes.push_back(FinishSheet(sheet, context.settings, context.programFolder, *context.records, *context.ui, &source));
    if (context.onSheet) context.onSheet(source, &outcomes.back(), "");
    context.ui->ProgressStopped();
    context.ui->ShowMessage(kSingleDoneMessage);
    return outcomes;
}

std::vector<SheetOutcome> MarkFiles(const std::vector<std::filesystem::path>& files, MarkingContext& context) {
    return MarkSheets(SheetsOf(files, context.countPages), context);
}

std::vector<SheetOutcome> MarkSheets(const std::vector<SheetSource>& sheets, MarkingContext& context) {
    std::vector<SheetOutcome> outcomes;
    BatchPreparer preparer(sheets, context.load, context.settings, context.programFolder, context.threads,
                           context.memoryBudget);
    for (const SheetSource& source : sheets) {
        PreparedFile prepared = preparer.Next();
        if (!prepared.error.empty()) {
            context.ui->ShowMessage(prepared.error);
            if (context.onSheet) context.onSheet(source, nullptr, prepared.error);
            continue;
        }
        outcomes.push_back(
            FinishSheet(prepared.sheet, context.settings, context.programFolder, *context.records, *context.ui, &source));
        if (context.onSheet) context.onSheet(source, &outcomes.back(), "");
        preparer.Recycle(std::move(prepared.sheet.image));
    }
    return outcomes;
}

std::vector<SheetOutcome> MarkFolder(const std::filesystem::path& folder, MarkingContext& context) {
    context.ui->ProgressStarted();
    std::vector<SheetOutcome> outcomes = MarkFiles(BatchFiles(folder), context);
    context.ui->ProgressStopped();
    context.ui->ShowMessage(kBatchDoneMessage);
    return outcomes;
}

std::vector<SheetOutcome> MarkFromDevice(ImageDevice& device, MarkingContext& context) {
    std::vector<SheetOutcome> outcomes;
    bool acquired = false;
    PixelBuffer image;
    PreparedSheet last;
    while (device.Acquire(image) == 1) {
        acquired = true;
        context.ui->ProgressStarted();
        last = PrepareSheet(std::move(image), context.settings, context.programFolder);
        outcomes.push_back(FinishSheet(last, context.settings, context.programFolder, *context.records, *context.ui));
        context.ui->ProgressStopped();
        image = PixelBuffer();
    }
    if (!acquired) context.ui->ShowMessage(kNoDeviceMessage);
    return outcomes;
}

}  // namespace quillmark

#include "image_sources.h"

#include "batch_preparer.h"
#include "data/program_paths.h"

namespace quillmark {

std::vector<std::filesystem::path> BatchFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const char* pattern : {"*.JPG", "*.BMP"}) {
        // Exactly as listed: " a.bmp" and "a.bmp" are two sheets.
        for (const std::string& name : ListFiles(folder, pattern)) files.push_back(folder / name);
    }
    return files;
}

std::vector<SheetOutcome> MarkFile(const std::filesystem::path& file, MarkingContext& context) {
    std::vector<SheetOutcome> outcomes;
    DecodedImage decoded = context.load(file);
    if (!decoded.ok()) {
        context.ui->ShowMessage(decoded.error);
        if (context.onSheet) context.onSheet(file, nullptr, decoded.error);
        return outcomes;
    }
    context.ui->ProgressStarted();
    PreparedSheet sheet = PrepareSheet(std::move(decoded.pixels), context.settings, context.programFolder);
    outcomes.push_back(FinishSheet(sheet, context.settings, context.programFolder, *context.records, *context.ui));
    if (context.onSheet) context.onSheet(file, &outcomes.back(), "");
    context.ui->ProgressStopped();
    context.ui->ShowMessage(kSingleDoneMessage);
    context.ui->SheetShown(SheetImage(sheet.image));
    return outcomes;
}

std::vector<SheetOutcome> MarkFiles(const std::vector<std::filesystem::path>& files, MarkingContext& context) {
    std::vector<SheetOutcome> outcomes;
    BatchPreparer preparer(files, context.load, context.settings, context.programFolder, context.threads,
                           context.memoryBudget);
    for (std::size_t i = 0; i < files.size(); ++i) {
        PreparedFile prepared = preparer.Next();
        if (!prepared.error.empty()) {
            context.ui->ShowMessage(prepared.error);
            if (context.onSheet) context.onSheet(files[i], nullptr, prepared.error);
            continue;
        }
        outcomes.push_back(FinishSheet(prepared.sheet, context.settings, context.programFolder, *context.records, *context.ui));
        if (context.onSheet) context.onSheet(files[i], &outcomes.back(), "");
        context.ui->SheetShown(SheetImage(prepared.sheet.image));
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
    if (acquired) context.ui->SheetShown(SheetImage(last.image));
    else context.ui->ShowMessage(kNoDeviceMessage);
    return outcomes;
}

}  // namespace quillmark

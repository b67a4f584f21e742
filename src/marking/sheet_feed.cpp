#include "sheet_feed.h"

#include <algorithm>

#include "data/program_paths.h"
#include "data/text_fns.h"
#include "data/ui_text.h"

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
            sheet.problem = count.ok() ? Status::Error(FillForm(UiText("ImageFiles", "无法读取图像文件“%1”：文件中没有图像。"), {file.string()}))
                                       : count.status;
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

void QueuedFeed::Push(SheetSource sheet) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        waiting_.push_back(std::move(sheet));
    }
    arrived_.notify_one();
}

std::optional<FedSheet> QueuedFeed::Take() {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
    if (closed_) return std::nullopt;
    FedSheet fed{std::move(waiting_.front()), std::nullopt};
    waiting_.pop_front();
    return fed;
}

void QueuedFeed::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    arrived_.notify_all();
}

std::vector<SheetSource> QueuedFeed::Untaken() const {
    std::lock_guard lock(mutex_);
    return {waiting_.begin(), waiting_.end()};
}

DecodedImage SheetFeed::Decode(const SheetSource& source) const {
    DecodedImage none;
    none.status = Status::Error(FillForm(UiText("ImageFiles", "无法读取“%1”"), {source.Name()}));
    return none;
}

std::optional<FedSheet> FileFeed::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || next_ >= sheets_.size()) return std::nullopt;
    FedSheet fed;
    fed.source = sheets_[next_++];
    if (!fed.source.problem.ok()) fed.image = DecodedImage{PixelBuffer(), fed.source.problem};
    return fed;
}

DecodedImage FileFeed::Decode(const SheetSource& source) const { return load_(source); }

void FileFeed::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
}

std::vector<SheetSource> FileFeed::Untaken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {sheets_.begin() + static_cast<std::ptrdiff_t>(next_), sheets_.end()};
}

std::optional<FedSheet> DeviceFeed::Take() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return std::nullopt;
    }
    std::optional<PixelBuffer> page = device_.Acquire();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!page || closed_) {
        closed_ = true;  // a device that delivered nothing is not asked again
        return std::nullopt;
    }
    FedSheet fed;
    fed.source.file = "扫描第" + std::to_string(++pages_) + "页";
    fed.image = DecodedImage{std::move(*page), Status::Ok()};
    return fed;
}

void DeviceFeed::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    // A page being scanned would otherwise hold the stop (and the window) until it is done.
    device_.CancelAcquire();
}

bool DeviceFeed::Delivered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pages_ > 0;
}

}  // namespace quillmark

#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sheet_source.h"

namespace quillmark {

// A sheet a feed handed to a run: its source and, from a source that delivers pixels (a
// scanner), its image; a file's sheet is decoded by the run's worker through the feed.
struct FedSheet {
    SheetSource source;
    std::optional<DecodedImage> image;
};

// Where a run's sheets come from: files, a scanner, and any source added later. A run
// takes sheets one at a time, in order, on its workers (never two Takes at once).
class SheetFeed {
public:
    virtual ~SheetFeed() = default;
    // The next sheet; nothing once the feed is exhausted or closed. May wait (a scanner
    // feeding a page).
    virtual std::optional<FedSheet> Take() = 0;
    // Decodes a sheet taken without its image. Called on any worker, concurrently.
    virtual DecodedImage Decode(const SheetSource& source) const;
    // Sheets expected in all; 0 when not known ahead (a scanner's stack).
    virtual std::size_t Total() const { return 0; }
    // Sheets a run may take ahead of the one it is finishing, and workers it may use.
    virtual std::size_t MaxAhead(int threads) const { return static_cast<std::size_t>(threads < 1 ? 1 : threads) * 2; }
    virtual int MaxWorkers(int threads) const { return threads; }
    // No further sheet will be wanted: a Take that waits returns nothing soon. Called from
    // any thread.
    virtual void Close() {}
    // The sheets not yet taken, when they are known (listed as not marked after a stop).
    virtual std::vector<SheetSource> Untaken() const { return {}; }
};

// The image files of a batch folder: every "*.JPG", "*.JPEG" and "*.JFIF" file (one group),
// then "*.BMP", "*.PNG", "*.TIF" and "*.TIFF" (one group), "*.PDF", letter case ignored, each
// group by name.
std::vector<std::filesystem::path> BatchFiles(const std::filesystem::path& folder);

// The sheets of the files in order, every page of a file of several pages; a file whose
// pages cannot be counted is one sheet that carries the problem.
std::vector<SheetSource> SheetsOf(const std::vector<std::filesystem::path>& files, const PageCounter& countPages);

// The pages of image files, decoded on the run's workers.
class FileFeed : public SheetFeed {
public:
    FileFeed(std::vector<SheetSource> sheets, ImageLoader load) : sheets_(std::move(sheets)), load_(std::move(load)) {}
    std::optional<FedSheet> Take() override;
    DecodedImage Decode(const SheetSource& source) const override;
    std::size_t Total() const override { return sheets_.size(); }
    void Close() override;
    std::vector<SheetSource> Untaken() const override;

private:
    std::vector<SheetSource> sheets_;
    ImageLoader load_;
    mutable std::mutex mutex_;
    std::size_t next_ = 0;
    bool closed_ = false;
};

// Sheets that arrive while the run goes on (photos sent from a phone): pushed from any
// thread, taken in order; a Take waits for the next until the feed is closed.
class QueuedFeed : public SheetFeed {
public:
    explicit QueuedFeed(ImageLoader load) : load_(std::move(load)) {}
    void Push(SheetSource sheet);
    std::optional<FedSheet> Take() override;
    DecodedImage Decode(const SheetSource& source) const override { return load_(source); }
    void Close() override;
    std::vector<SheetSource> Untaken() const override;

private:
    ImageLoader load_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<SheetSource> waiting_;
    bool closed_ = false;
};

// A scanner or camera: the device chosen for the run delivers one page per request.
class ImageDevice {
public:
    virtual ~ImageDevice() = default;
    // A page, or nothing when none came (cancelled, feeder empty, no device).
    virtual std::optional<PixelBuffer> Acquire() = 0;
    // Asks an Acquire in progress on another thread to end early, delivering nothing.
    virtual void CancelAcquire() {}
};

// A scanner's stack: one page asked for at a time, the next once the run has begun
// finishing the last, until the device delivers nothing. A scanned page is kept nowhere:
// its name says which page of the stack it was.
class DeviceFeed : public SheetFeed {
public:
    explicit DeviceFeed(ImageDevice& device) : device_(device) {}
    std::optional<FedSheet> Take() override;
    std::size_t MaxAhead(int) const override { return 1; }
    int MaxWorkers(int) const override { return 1; }
    void Close() override;
    // Whether the device delivered any page.
    bool Delivered() const;

private:
    ImageDevice& device_;
    mutable std::mutex mutex_;
    int pages_ = 0;
    bool closed_ = false;
};

}  // namespace quillmark

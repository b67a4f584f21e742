#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "engine/sheet_image.h"
#include "marking/sheet_feed.h"

namespace quillmark {

// A scanner as SANE reports it.
struct ScannerInfo {
    std::string name;  // what SaneDevice opens, e.g. "test:0"
    std::string vendor;
    std::string model;
    std::string type;
};

// The local SANE devices; empty when there are none or SANE cannot start.
std::vector<ScannerInfo> ListScanners();

// One line of the device list: "vendor model (name)".
std::string ScannerLabel(const ScannerInfo& scanner);

// The name of the scanner picked from the list, or empty when `index` is outside it
// (the caller then shows kDeviceSelectionMessage).
std::string SelectScannerName(const std::vector<ScannerInfo>& scanners, int index);

// An option set when the device is opened, its value written as text ("200", "Gray",
// "yes"). It is converted by the type the device declares, so "resolution" works for a
// fixed-point and for an integer resolution. Options the device lacks or has inactive are
// skipped.
struct ScanOption {
    std::string name;
    std::string value;
};

// A SANE scanner. It is opened on the first Acquire and stays open, so a document feeder
// delivers its pages one Acquire after the other.
class SaneDevice : public ImageDevice {
public:
    // An empty name opens SANE's default device.
    explicit SaneDevice(std::string deviceName, std::vector<ScanOption> options = {});
    ~SaneDevice() override;
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;

    // The page as Gray8 (grey and line-art scans) or Rgb24 (colour); nothing when none
    // came: empty feeder, cancelled, failed, no such device, or a format it cannot take.
    std::optional<PixelBuffer> Acquire() override;
    // Cancels the scan in progress (SANE allows it from another thread); that Acquire gives nothing.
    void CancelAcquire() override;

    // Why the last Acquire gave nothing; empty after a page.
    const std::string& LastError() const { return lastError_; }

private:
    bool Open();
    void Close();

    std::string deviceName_;
    std::vector<ScanOption> options_;
    void* handle_ = nullptr;  // SANE_Handle
    std::atomic<void*> scanning_{nullptr};  // the handle while an Acquire reads from it
    bool initialised_ = false;
    bool feeder_ = false;
    int pages_ = 0;
    std::string lastError_;
};

}  // namespace quillmark

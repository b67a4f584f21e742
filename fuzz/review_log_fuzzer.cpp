// The review file: whatever it holds is refused with a message or read whole, and what is
// read writes back to the same records.
#include <cstdint>
#include <string>
#include <string_view>

#include "data/review_log.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    quillmark::ReviewLog log;
    log.sheets.resize(1);  // a refused file leaves the records as they were
    if (!quillmark::ParseReviewLog(text, log).ok()) {
        FUZZ_CHECK(log.sheets.size() == 1);
        return 0;
    }
    std::string written = quillmark::SerializeReviewLog(log);
    quillmark::ReviewLog reread;
    FUZZ_CHECK(quillmark::ParseReviewLog(written, reread).ok());
    FUZZ_CHECK(quillmark::SerializeReviewLog(reread) == written);
    return 0;
}

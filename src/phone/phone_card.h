#pragma once

#include <string>

#include "data/result_set.h"
#include "marking/marking_pipeline.h"

namespace quillmark {

// What the phone shows about one photo, as JSON: the examinee, the score and the answers
// against the key with what to check; or why the photo could not be marked and whether to
// photograph the sheet again; or, when the number could not be used, a request for it.
std::string PhoneCardJson(const std::string& id, const SheetOutcome& outcome, const ResultSet& records,
                          const std::string& numberRead);

// The page's heading: what is being marked and how many sheets so far, as JSON.
std::string PhoneSummaryJson(const std::string& paper, const std::string& roster, std::size_t marked);

// The advice for a photo that could not be marked.
std::string RetakeAdvice(const SheetOutcome& outcome);

}  // namespace quillmark

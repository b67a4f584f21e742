#pragma once

#include <string>

namespace quillmark {

// A sheet's status or finding as stored (in result files, the review log, the command
// line's output: always Chinese), in the window's language. Every text the engine and
// marking store is listed in status_texts.cpp under the context "SheetStatus".
std::string ShownStatus(const std::string& stored);

}  // namespace quillmark

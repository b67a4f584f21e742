#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// The secret a phone's address carries: 128 random bits as 32 lowercase hex digits. A new
// one is drawn each time the phone page is opened to phones, and it dies with the page.
std::string NewPhoneToken();

// Compares in time that does not depend on where the texts differ.
bool SameToken(std::string_view given, std::string_view token);

}  // namespace quillmark

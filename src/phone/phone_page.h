#pragma once

#include <string_view>

namespace quillmark {

// The phone page's files, built into the program: nothing is fetched from elsewhere.
struct PhonePageFile {
    std::string_view name;
    std::string_view contentType;
    std::string_view text;
};

// index.html, app.js and app.css; a name not among them gives nothing.
const PhonePageFile* FindPhonePageFile(std::string_view name);

}  // namespace quillmark

#pragma once

class QMenuBar;

namespace quillmark {

class Prompt;

// "Language": each language in its own words, the one in use checked. A choice is remembered
// for the user and takes effect when the program starts again, so nothing open is lost.
void AddLanguageMenu(QMenuBar* bar, Prompt& prompt);

}  // namespace quillmark

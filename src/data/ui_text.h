#pragma once

#include <initializer_list>
#include <string_view>
#include <string>

namespace quillmark {

// Texts a person reads are written in Chinese where they are made, each with a context that
// groups it for the translator. The window installs the translation of its language; the
// command line never does, so what it prints stays what scripts know.
using UiTranslator = std::string (*)(const char* context, const char* text);
// Set once at start-up, before any work thread runs; null goes back to Chinese.
void SetUiTranslator(UiTranslator translator);

// `text` in the window's language; `text` itself when there is no translation.
std::string UiText(const char* context, const char* text);
inline std::string UiText(const char* context, const std::string& text) { return UiText(context, text.c_str()); }

// `form` with %1 to %9 replaced by `values`, so a translation may place them where its
// language puts them. A % not followed by a used digit stays as it is.
std::string FillForm(std::string_view form, std::initializer_list<std::string_view> values);

}  // namespace quillmark

// Marks a text for translation where it is written down (a table, a constant) but
// translated later by UiText with the same context.
#define UI_TEXT_NOOP(context, text) text

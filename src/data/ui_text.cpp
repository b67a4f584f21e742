#include "ui_text.h"

#include <atomic>
#include <vector>

namespace quillmark {
namespace {

std::atomic<UiTranslator> installed{nullptr};

}  // namespace

void SetUiTranslator(UiTranslator translator) { installed.store(translator); }

std::string UiText(const char* context, const char* text) {
    UiTranslator translator = installed.load();
    return translator ? translator(context, text) : std::string(text);
}

std::string FillForm(std::string_view form, std::initializer_list<std::string_view> values) {
    const std::vector<std::string_view> args(values);
    std::string out;
    out.reserve(form.size() + 32);
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char next = i + 1 < form.size() ? form[i + 1] : '\0';
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (form[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
            out += args[index];
            ++i;
        } else {
            out += form[i];
        }
    }
    return out;
}

}  // namespace quillmark

# How lupdate finds the texts: UiText and UI_TEXT_NOOP mark them, Chinese is the source.
set(QUILLMARK_LUPDATE_OPTIONS
  -tr-function-alias translate+=UiText,QT_TRANSLATE_NOOP+=UI_TEXT_NOOP
  -source-language zh_CN -target-language en
  -locations none -no-obsolete -extensions cpp,h -silent)

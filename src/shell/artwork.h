#pragma once

#include <QPixmap>

namespace quillmark {

// The program's picture: a sheet of answer bubbles, some filled, under a quill.
QPixmap ProgramArtwork(int width, int height, qreal devicePixelRatio = 1);

}  // namespace quillmark

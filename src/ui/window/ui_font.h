// The window's typeface: IPAPGothic where installed, else any font that shows Japanese.
#pragma once

#include <QFont>

namespace lumeta {

QFont ui_font(int pixel_size, bool bold = false);

}  // namespace lumeta

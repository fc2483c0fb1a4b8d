#include "ui_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace lumeta {

QFont ui_font(int pixel_size, bool bold) {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック")}) {
      if (installed.contains(name)) return name;
    }
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? QString() : japanese.first();
  }();
  QFont font(family);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

}  // namespace lumeta

#include "qt_text.h"

#include <cstdlib>

#include "sjis.h"
#include "wrap_layout.h"

namespace lumeta {

char16_t unicode_of(uint16_t code) {
  constexpr char16_t kUnknown = 0;
  // Zeroed pages from calloc: only those of the characters shown are ever touched.
  static char16_t* const table = static_cast<char16_t*>(std::calloc(65536, sizeof(char16_t)));
  if (!table) return u'\uFFFD';
  char16_t& u = table[code];
  if (u == kUnknown) {
    std::string bytes;
    if (code > 0xFF) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
    const auto utf8 = sjis::to_utf8(bytes);
    const QString s = utf8 ? QString::fromUtf8(*utf8) : QString();
    u = s.size() == 1 ? s[0].unicode() : u'\uFFFD';
  }
  return u;
}

QString to_qstring(std::string_view cp932) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp932.size()));
  for (std::size_t i = 0; i < cp932.size(); i = sjis::next_boundary(cp932, i)) {
    if (cp932[i] == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n') {
      out += u"\r\n";
      continue;
    }
    out += QChar(unicode_of(char_code(cp932, i)));
  }
  return out;
}

QString spoken(std::string_view cp932) {
  if (cp932 == "\x81\x40") return QStringLiteral("全角スペース");
  if (cp932 == " ") return QStringLiteral("スペース");
  return to_qstring(cp932);
}

}  // namespace lumeta

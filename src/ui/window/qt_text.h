// Shift-JIS text to Qt strings, a character at a time through a table filled on first use.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

namespace lumeta {

// The Unicode character of a Shift-JIS character code (a byte, or lead << 8 | trail).
char16_t unicode_of(uint16_t code);

QString to_qstring(std::string_view cp932);

// A character as assistive tools should say it: the spaces by name, anything else as it is.
QString spoken(std::string_view cp932);

}  // namespace lumeta

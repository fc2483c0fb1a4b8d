// Shift-JIS (CP932) character boundaries and conversion to and from UTF-8.
//
// A character is one byte, or two when its first byte is a lead byte (0x81..0x9F, 0xE0..0xFC);
// the line break CR LF counts as one two-byte character. Positions are byte offsets.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumeta::sjis {

constexpr bool is_lead_byte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || b >= 0xE0;
}
constexpr bool is_lead_byte(char c) {
  return is_lead_byte(static_cast<unsigned char>(c));
}

// True when `position` starts a character (or is the end) of the well-formed text `text`.
// Looks back only over the run of lead-range bytes in front of it.
bool is_boundary(std::string_view text, std::size_t position);

// Start of the character that ends at the boundary `position` (> 0).
std::size_t previous_boundary(std::string_view text, std::size_t position);

// End of the character that starts at the boundary `position` (< text.size()).
std::size_t next_boundary(std::string_view text, std::size_t position);

// `position` moved back to the start of the character it falls inside.
std::size_t floor_boundary(std::string_view text, std::size_t position);

// Number of characters, CR LF counting as one.
std::size_t count_chars(std::string_view text);

// Conversions at the program's edges. Invalid input gives nullopt.
std::optional<std::string> to_utf8(std::string_view cp932);
std::optional<std::string> from_utf8(std::string_view utf8);

// Whole valid CP932 characters only, with no lone CR or LF splitting a CR LF.
bool is_valid(std::string_view cp932);

}  // namespace lumeta::sjis

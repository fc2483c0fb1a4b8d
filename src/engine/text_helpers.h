// The string unit: stateless Shift-JIS string functions and the romaji syllable tables.
#pragma once

#include <string>
#include <string_view>

namespace lumeta::text {

// True when the one- or two-byte string `s` starts with a lead byte or is CR LF.
bool is_two_byte_char(std::string_view s);

// `s` without its last character: a two-byte character or CR LF goes whole, found by walking
// character boundaries (so ん followed by "1" loses the "1", not half of ん).
std::string delete_last_char(std::string_view s);

// The last `n` bytes of `s`, or empty when `s` is shorter.
std::string right_bytes(std::string_view s, std::size_t n);

// Full-width romaji ending in a small vowel to hiragana: "ｋａ" gives "か", "ｋｋａ" gives
// "ｋか", "ｙｉ" gives "". Consonants may be capital or small; the vowel must be small.
std::string romaji_to_kana(std::string_view romaji);

// Ａ..Ｚ become ａ..ｚ; everything else is kept.
std::string full_width_to_lower(std::string_view s);

// One full-width letter, digit or sign to its half-width form; anything else unchanged.
std::string full_width_char_to_half(std::string_view ch);

// Every full-width character mapped by full_width_char_to_half, one-byte characters copied.
std::string full_width_to_half(std::string_view s);

// Hiragana ぁ..ん become katakana ァ..ン; voicing marks and everything else stay.
std::string hiragana_to_katakana(std::string_view s);

}  // namespace lumeta::text

// The texts and the key cycle both benchmarks use.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine.h"

namespace lumeta::bench {

// `chars` characters of kana and kanji (Shift-JIS), with a line break after every 40 when
// `lines` is set, or as one paragraph.
inline std::string make_text(std::size_t chars, bool lines) {
  // あいうえおかきくけこさしすせそたちつてと日本語入力, as Shift-JIS bytes.
  static constexpr std::string_view kKana =
      "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad\x82\xaf\x82\xb1"
      "\x82\xb3\x82\xb5\x82\xb7\x82\xb9\x82\xbb\x82\xbd\x82\xbf\x82\xc2\x82\xc4\x82\xc6"
      "\x93\xfa\x96\x7b\x8c\xea\x93\xfc\x97\xcd";
  std::string text;
  text.reserve(chars * 2 + chars / 20);
  std::size_t column = 0, i = 0;
  for (std::size_t count = 0; count < chars; ++count) {
    if (lines && column == 40) {
      text += "\r\n";
      column = 0;
    } else {
      text.append(kKana.substr(i++ % (kKana.size() / 2) * 2, 2));
      ++column;
    }
  }
  return text;
}

// K A I ↓ (回) centre (confirmed) clear (removed): the text ends as it began.
inline constexpr std::array<int, 6> kKeyCycle = {key::K,    key::A,      key::I,
                                                 key::down, key::centre, key::clear};

// The size the benchmarks preload for a text of `chars` characters: one short, so that the
// cycle's K brings it to exactly `chars`. At 1,000,000 that is the limit, so every cycle also
// meets a refused key: I would add a 1,000,001st character and is taken back whole, ↓ then
// converts か alone (下), the centre key confirms it and the clear key removes it again.
inline constexpr std::size_t preloaded_chars(std::size_t chars) {
  return chars - 1;
}

// Puts the preloaded text for `chars` characters on display (nothing for 0), with the caret at
// its end or in its middle.
inline void preload(Engine& engine, std::size_t chars, bool lines, bool middle) {
  if (chars == 0) return;
  const std::string text = make_text(preloaded_chars(chars), lines);
  std::size_t split = middle ? text.size() / 2 : text.size();
  split -= split % 2;  // on a character boundary: every piece is two bytes
  engine.load_text(text.substr(0, split), text.substr(split));
}

}  // namespace lumeta::bench

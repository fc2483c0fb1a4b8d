// A headless Lumeta for the tests: the engine, the keypad and a display without a screen.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"
#include "sjis.h"

namespace lumeta::testing {

// The conversion settings a Lumeta below starts with, and lookup() uses: the built-in table
// alone, as the behaviour tests describe the program, until a test changes them for itself
// (UsingLargeDictionary, a learning store of its own) before it makes its Lumeta.
inline ConversionSettings& test_conversion() {
  static ConversionSettings settings(Dictionaries::builtin, nullptr, true);
  return settings;
}

struct Lumeta {
  HeadlessView view;
  Engine engine{view};
  Keypad keypad{engine, view};

  Lumeta() {
    keypad.conversion() = test_conversion();
    engine.initialise();
  }

  // What the strip would show now, with this keypad's settings.
  CandidateStrip strip() const { return candidate_strip(engine, keypad.conversion()); }

  // Works the keys named in `tokens` as the replay tool names them ("K A DOWN", "CARET:3",
  // "DELALL"): each a press and a release, followed by the window's idle pass.
  Lumeta& keys(std::string_view tokens) {
    std::istringstream in{std::string(tokens)};
    std::string token;
    while (in >> token) {
      if (token.starts_with("CARET:")) {
        keypad.place_caret(std::stoi(token.substr(6)));
      } else if (token == "DELALL") {
        keypad.press(key::delete_all);
      } else {
        const KeyInfo* key = find_key_by_token(token);
        if (!key) throw std::invalid_argument("unknown key " + token);
        keypad.click(key->number);
      }
      keypad.idle();
    }
    return *this;
  }

  std::string_view text() const { return view.text(); }
  int caret() const { return view.caret(); }
  const std::string& label() const { return view.label(); }
  bool lit(Indicator i) const { return view.indicator(i) == IndicatorLook::lit; }
};

// The large dictionary after the built-in table while it lives, for the Lumeta made after it;
// the tests otherwise run with the built-in table alone.
struct UsingLargeDictionary {
  Dictionaries saved = test_conversion().dictionaries;
  UsingLargeDictionary() { test_conversion().dictionaries = Dictionaries::builtin_and_large; }
  ~UsingLargeDictionary() { test_conversion().dictionaries = saved; }
  UsingLargeDictionary(const UsingLargeDictionary&) = delete;
  UsingLargeDictionary& operator=(const UsingLargeDictionary&) = delete;
};

// The candidates ↓ offers for `reading`, in order (Shift-JIS).
inline std::vector<std::string> lookup(std::string_view reading) {
  std::array<std::string, kCandidateSlots + 1> out;
  const int n = test_conversion().candidates(reading, out);
  return {out.begin() + 1, out.begin() + 1 + n};
}

// Where `candidate` stands in `list` from 0, or -1 when it is not there.
inline std::ptrdiff_t position(const std::vector<std::string>& list, std::string_view candidate) {
  const auto found = std::find(list.begin(), list.end(), candidate);
  return found == list.end() ? -1 : found - list.begin();
}

// Readable UTF-8 for failure messages.
inline std::string u8(std::string_view cp932) {
  return sjis::to_utf8(cp932).value_or("<invalid Shift-JIS>");
}

}  // namespace lumeta::testing

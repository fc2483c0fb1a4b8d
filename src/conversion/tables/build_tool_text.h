// Text helpers shared by the build-time tools that turn Debian's dictionaries into built-in
// tables: EUC-JP to CP932, the characters romaji mode can put into a reading, and writing the
// finished table.
#pragma once

#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sjis.h"
#include "text_helpers.h"

namespace lumeta::build_tool {

// The consonant letters romaji mode types (K G Q, H B P, S Z J, M F V, T D C, Y, N, R L, W X);
// every run of up to three of them before a vowel is tried for its syllable.
constexpr std::string_view kConsonants = "ｋｇｑｈｂｐｓｚｊｍｆｖｔｄｃｙｎｒｌｗｘ";
constexpr std::array<std::string_view, 5> kVowels = {"ａ", "ｉ", "ｕ", "ｅ", "ｏ"};

// What the letter keys put into a reading directly, besides syllables: the vowel keys' kana and
// small kana, っ and ー of the Y key, ん and ・ of the N key, ～ of the R key, the signs of the Z
// key and the space of the W key.
constexpr std::array<std::string_view, 20> kKeyKana = {"あ", "ぁ", "い", "ぃ", "う", "ぅ", "え",
                                                       "ぇ", "お", "ぉ", "っ", "ー", "ん", "・",
                                                       "～", "、", "。", "？", "！", "　"};

inline std::set<std::string> typable_characters() {
  std::set<std::string> chars(kKeyKana.begin(), kKeyKana.end());
  std::vector<std::string> letters;
  for (std::size_t i = 0; i < kConsonants.size(); i += 2)
    letters.emplace_back(kConsonants.substr(i, 2));
  std::vector<std::string> runs = letters;
  for (const std::string& a : letters) {
    for (const std::string& b : letters) {
      runs.push_back(a + b);
      for (const std::string& c : letters)
        runs.push_back(a + b + c);
    }
  }
  for (const std::string& run : runs) {
    for (std::string_view vowel : kVowels) {
      const std::string kana = lumeta::text::romaji_to_kana(run + std::string(vowel));
      // Only whole syllables: a result that keeps a letter of the run is no syllable.
      for (std::size_t i = 0; i < kana.size(); i = lumeta::sjis::next_boundary(kana, i)) {
        const std::string ch = kana.substr(i, lumeta::sjis::next_boundary(kana, i) - i);
        if (kConsonants.find(lumeta::text::full_width_to_lower(ch)) == std::string::npos)
          chars.insert(ch);
      }
    }
  }
  return chars;
}

using sjis::Converter;

// EUC-JP text to CP932; characters only EUC-JIS-2004 knows are tried with that table.
class ToCp932 {
 public:
  bool ok() const { return euc_jp_.ok() && euc_jis_2004_.ok(); }
  std::optional<std::string> operator()(std::string_view euc) {
    if (auto s = euc_jp_(euc)) return s;
    return euc_jis_2004_(euc);
  }

 private:
  Converter euc_jp_{"CP932", "EUC-JP"};
  Converter euc_jis_2004_{"CP932", "EUC-JISX0213"};
};

// Every character of `reading` (Shift-JIS, two bytes each) is one romaji mode types.
inline bool typable(std::string_view reading, const std::set<std::string>& chars) {
  if (reading.empty() || reading.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < reading.size(); i += 2) {
    if (!chars.contains(std::string(reading.substr(i, 2)))) return false;
  }
  return true;
}

// Writes `table` to `path` through a temporary file renamed over it, so an interrupted build
// never leaves a half-written table that a later build would take as made; false (and a line
// on stderr naming `tool`) when either step fails.
inline bool write_table(const std::string& path, const std::string& table, const char* tool) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(table.data(), static_cast<std::streamsize>(table.size()));
    if (!out.flush()) {
      std::cerr << tool << ": cannot write " << temporary << '\n';
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::cerr << tool << ": cannot write " << path << '\n';
    return false;
  }
  return true;
}

}  // namespace lumeta::build_tool

// Build-time tool: turns the SKK large dictionary (EUC-JP text) into the compact table that is
// linked into the program.
//
//   make_large_dictionary SKK-JISYO.L large_dictionary.bin
//
// Kept: entries whose reading romaji mode can type, with their candidates in Shift-JIS (CP932)
// and in the dictionary's order. Entries with a kana ending keep their key as the dictionary
// writes it, the stem followed by one ASCII letter ("かk" for 書く). Dropped: annotations
// (after ";"), expressions other than concatenated strings, candidates with no CP932 form.
//
// The table (native byte order, read in place by large_dictionary.cpp):
//   uint32 magic, uint32 entry count n, uint32 offsets[n + 1] into the entry area, entries.
//   Entry: uint8 key length, key bytes, then each candidate as uint8 length and bytes.
//   Entries are sorted by key, byte for byte.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "build_tool_text.h"
#include "large_dictionary_format.h"
#include "sjis.h"

namespace {

using lumeta::large_dictionary::kMagic;
using lumeta::large_dictionary::kMaxCandidates;

// (concat "a" "b" …) of plain strings, with \NNN octal escapes ("\057" is "/"): the joined
// text. Any other expression gives nullopt.
std::optional<std::string> evaluate_concat(std::string_view expr) {
  constexpr std::string_view kHead = "(concat";
  if (!expr.starts_with(kHead) || !expr.ends_with(")")) return std::nullopt;
  std::string out;
  std::size_t i = kHead.size();
  const std::size_t end = expr.size() - 1;
  while (i < end) {
    if (expr[i] == ' ') {
      ++i;
      continue;
    }
    if (expr[i] != '"') return std::nullopt;
    ++i;
    while (i < end && expr[i] != '"') {
      if (expr[i] != '\\') {
        out += expr[i++];
        continue;
      }
      ++i;
      if (i + 3 <= end &&
          std::all_of(&expr[i], &expr[i + 3], [](char c) { return c >= '0' && c <= '7'; })) {
        out +=
            static_cast<char>((expr[i] - '0') * 64 + (expr[i + 1] - '0') * 8 + expr[i + 2] - '0');
        i += 3;
      } else if (i < end) {
        out += expr[i++];
      }
    }
    if (i >= end) return std::nullopt;
    ++i;  // the closing quote
  }
  return out;
}

// A candidate of SKK's text without its annotation; an expression (an opening parenthesis and
// a name) is evaluated when it is concatenated strings, else dropped.
std::optional<std::string> candidate_text(std::string_view field) {
  const std::size_t semicolon = field.find(';');
  std::string_view text = field.substr(0, semicolon);
  if (text.empty()) return std::nullopt;
  if (text.size() > 1 && text[0] == '(' &&
      ((text[1] >= 'a' && text[1] <= 'z') || (text[1] >= 'A' && text[1] <= 'Z'))) {
    return evaluate_concat(text);
  }
  return std::string(text);
}

bool usable_candidate(const std::string& cp932) {
  if (cp932.empty() || cp932.size() > 255 || !lumeta::sjis::is_valid(cp932)) return false;
  return std::none_of(cp932.begin(), cp932.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void put32(std::string& out, uint32_t v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_large_dictionary SKK-JISYO.L OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "make_large_dictionary: cannot read " << argv[1] << '\n';
    return 1;
  }
  lumeta::build_tool::ToCp932 to_cp932;
  if (!to_cp932.ok()) {
    std::cerr << "make_large_dictionary: iconv lacks EUC-JP or CP932\n";
    return 1;
  }
  const std::set<std::string> chars = lumeta::build_tool::typable_characters();

  // Key → candidates; a key the file holds twice keeps both lists, the first one first.
  std::map<std::string, std::vector<std::string>> entries;
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == ';') continue;
    ++lines;
    const std::size_t space = line.find(" /");
    if (space == std::string::npos || space == 0) continue;
    std::string_view key_euc = std::string_view(line).substr(0, space);
    // An entry with a kana ending: the stem, then one ASCII letter.
    char ending = 0;
    if (key_euc.back() >= 'a' && key_euc.back() <= 'z' && key_euc.size() > 1 &&
        static_cast<unsigned char>(key_euc[key_euc.size() - 2]) >= 0x80) {
      ending = key_euc.back();
      key_euc.remove_suffix(1);
    }
    const std::optional<std::string> stem = to_cp932(key_euc);
    if (!stem || !lumeta::build_tool::typable(*stem, chars)) continue;
    const std::string key = ending ? *stem + ending : *stem;
    std::vector<std::string>& list = entries[key];
    std::string_view rest = std::string_view(line).substr(space + 2);
    while (!rest.empty()) {
      std::size_t slash = rest.find('/');
      // In an entry with a kana ending, a "[" group repeats candidates for one particular
      // ending ("[る/送/]"): skipped to its "]/".
      if (ending && rest.size() > 1 && rest.front() == '[' && rest[1] != '/') {
        const std::size_t close = rest.find("]/");
        if (close == std::string_view::npos) break;
        rest.remove_prefix(close + 2);
        continue;
      }
      const std::string_view field = rest.substr(0, slash);
      rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
      const std::optional<std::string> text = candidate_text(field);
      if (!text) continue;
      const std::optional<std::string> cp932 = to_cp932(*text);
      if (!cp932 || !usable_candidate(*cp932)) continue;
      if (std::find(list.begin(), list.end(), *cp932) == list.end() &&
          list.size() < kMaxCandidates) {
        list.push_back(*cp932);
      }
    }
    if (list.empty()) entries.erase(key);
  }

  std::string area;
  std::vector<uint32_t> offsets;
  std::size_t candidates = 0;
  for (const auto& [key, list] : entries) {
    if (key.size() > 255) continue;
    offsets.push_back(static_cast<uint32_t>(area.size()));
    area += static_cast<char>(key.size());
    area += key;
    for (const std::string& c : list) {
      area += static_cast<char>(c.size());
      area += c;
    }
    candidates += list.size();
  }
  offsets.push_back(static_cast<uint32_t>(area.size()));

  std::string blob;
  put32(blob, kMagic);
  put32(blob, static_cast<uint32_t>(offsets.size() - 1));
  for (uint32_t offset : offsets)
    put32(blob, offset);
  blob += area;

  if (!lumeta::build_tool::write_table(argv[2], blob, "make_large_dictionary")) return 1;
  std::cout << "large dictionary: " << lines << " lines read, " << offsets.size() - 1
            << " readings and stems kept with " << candidates << " candidates, " << blob.size()
            << " bytes\n";
  return 0;
}

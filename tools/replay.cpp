#include "replay.h"

#include <charconv>
#include <iostream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "dictionary.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"
#include "sjis.h"

namespace lumeta {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kCaretPrefix = "CARET:";
constexpr std::string_view kPickPrefix = "PICK:";
constexpr std::string_view kSymbolPrefix = "SYM:";
constexpr std::array<const char*, kIndicatorCount> kIndicatorCaptions = {
    "全", "半", "ローマ", "数", "英", "大", "小", "記"};
constexpr std::array<const char*, 6> kColourNames = {"plain", "letter", "romaji",
                                                     "kana",  "kanji",  "katakana"};
constexpr std::array<const char*, 3> kStyleNames = {"plain", "bold", "underline"};

// One step of the replay: a key of the keypad (or delete-all), a click in the display, on a
// candidate of the strip or on a cell of the symbol picker, 元に戻す, or the copy key.
enum class Action { key, caret, pick, symbol, undo, copy };
struct Step {
  std::string token;
  Action action = Action::key;
  int key = 0;
  int number = 0;  // the caret position, or the candidate or cell numbered from 1
};

// The decimal number after `prefix`, digits only; past the largest int it stays the largest.
std::optional<int> number_after(std::string_view token, std::string_view prefix) {
  const std::string_view digits = token.substr(prefix.size());
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  unsigned long long n = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return ec == std::errc::result_out_of_range || n > std::numeric_limits<int>::max()
             ? std::numeric_limits<int>::max()
             : static_cast<int>(n);
}

std::optional<Step> parse_token(const std::string& token) {
  if (token.starts_with(kCaretPrefix)) {
    const std::optional<int> position = number_after(token, kCaretPrefix);
    if (!position) return std::nullopt;
    return Step{token, Action::caret, 0, *position};
  }
  // Candidates and cells are numbered from 1, so 0 names none.
  for (const auto& [prefix, action] :
       {std::pair{kPickPrefix, Action::pick}, std::pair{kSymbolPrefix, Action::symbol}}) {
    if (!token.starts_with(prefix)) continue;
    const std::optional<int> n = number_after(token, prefix);
    if (!n || *n == 0) return std::nullopt;
    return Step{token, action, 0, *n};
  }
  if (token == "UNDO") return Step{token, Action::undo};
  if (token == "COPY") return Step{token, Action::copy};
  const KeyInfo* key = find_key_by_token(token);
  if (!key || (key->kind == KeyKind::window && key->number != 33)) return std::nullopt;
  return Step{token, Action::key, key->number};
}

std::string utf8(std::string_view cp932) {
  return sjis::to_utf8(cp932).value_or(std::string("\xEF\xBF\xBD"));
}

// Styled ranges, adjacent ones of the same colour and style merged.
Json segments_json(const std::vector<Segment>& segments) {
  std::vector<Segment> merged;
  for (const Segment& s : segments) {
    if (s.colour == Colour::plain && s.style == Style::plain) continue;
    if (!merged.empty() && merged.back().end == s.start && merged.back().colour == s.colour &&
        merged.back().style == s.style) {
      merged.back().end = s.end;
    } else {
      merged.push_back(s);
    }
  }
  Json list = Json::array();
  for (const Segment& s : merged) {
    list.push_back(Json::array({s.start, s.end, kColourNames[static_cast<int>(s.colour)],
                                kStyleNames[static_cast<int>(s.style)]}));
  }
  return list;
}

Json state_json(const Engine& e, const HeadlessView& view, const std::string* key,
                const std::optional<std::string>& copied) {
  Json j;
  if (key) j["key"] = *key;
  j["text"] = utf8(view.text());
  j["bytes"] = view.text().size();
  j["caret"] = view.caret();
  j["label"] = utf8(view.label());
  j["mode"] = e.input_mode;
  j["caps"] = e.caps;
  j["saved_mode"] = e.saved_mode;
  Json indicators = Json::array();
  for (int i = 0; i < kIndicatorCount; ++i) {
    if (view.indicator(static_cast<Indicator>(i)) == IndicatorLook::lit) {
      indicators.push_back(kIndicatorCaptions[i]);
    }
  }
  j["indicators"] = indicators;
  j["segments"] = segments_json(view.segments());
  j["front_fixed"] = utf8(e.front_fixed);
  j["front_text"] = utf8(e.front_text);
  j["back_text"] = utf8(e.back_text);
  j["kana_text"] = utf8(e.kana_text);
  j["romaji_text"] = utf8(e.romaji_text);
  j["kana_after_caret"] = utf8(e.kana_after_caret);
  j["zenkaku_digits"] = utf8(e.zenkaku_digits);
  j["number_conversion"] = utf8(e.number_conversion);
  j["kanji_converting"] = e.kanji_converting;
  j["katakana_shown"] = e.katakana_shown;
  j["number_converting"] = e.number_converting;
  j["candidate_index"] = e.candidate_index;
  j["candidate_count"] = e.candidate_count;
  j["symbol_page"] = e.symbol_page;
  j["symbol_dialog"] = view.symbol_dialog_visible();
  j["caret_line"] = e.caret_line;
  j["caret_column"] = e.caret_column;
  j["goal_column"] = e.goal_column;
  Json taps = Json::object();
  for (int k = 1; k <= kKeyCount; ++k) {
    if (e.tap_count[k] != 0) taps[std::to_string(k)] = e.tap_count[k];
  }
  j["tap_count"] = taps;
  if (copied) j["copied"] = utf8(*copied);
  return j;
}

// JSON on one line with ", " and ": " between items, as the replay has always printed it.
void write_json(const Json& j, std::string& out) {
  if (j.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [name, value] : j.items()) {
      if (!first) out += ", ";
      first = false;
      out += Json(name).dump();
      out += ": ";
      write_json(value, out);
    }
    out += '}';
  } else if (j.is_array()) {
    out += '[';
    for (std::size_t i = 0; i < j.size(); ++i) {
      if (i) out += ", ";
      write_json(j[i], out);
    }
    out += ']';
  } else {
    out += j.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

void print_line(const Json& j, std::ostream& out) {
  std::string line;
  write_json(j, line);
  out << line << '\n';
}

int dump_dictionary(std::ostream& out) {
  for (const DictionaryEntry& entry : dictionary_table()) {
    Json candidates = Json::array();
    std::string_view rest = entry.candidates;
    while (!rest.empty()) {
      const std::size_t space = rest.find(' ');
      candidates.push_back(utf8(rest.substr(0, space)));
      rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
    Json j;
    j["reading"] = utf8(entry.reading);
    j["candidates"] = candidates;
    print_line(j, out);
  }
  return 0;
}

}  // namespace

int run_replay(std::span<const std::string> args, std::istream& in, std::ostream& out,
               std::ostream& err) {
  bool trace = false;
  std::vector<std::string> tokens;
  for (const std::string& arg : args) {
    if (arg == "--trace") {
      trace = true;
    } else if (arg == "--dump-dictionary") {
      return dump_dictionary(out);
    } else {
      tokens.push_back(arg);
    }
  }
  if (tokens.empty()) {
    tokens.assign(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
  }
  std::vector<Step> steps;
  for (const std::string& token : tokens) {
    std::optional<Step> step = parse_token(token);
    if (!step) {
      err << "lumeta-replay: unknown key token: " << token << '\n';
      return 2;
    }
    steps.push_back(*step);
  }

  HeadlessView view;
  Engine engine(view);
  Keypad keypad(engine, view);
  engine.initialise();
  std::optional<std::string> copied;  // what the last COPY put on the clipboard
  for (const Step& step : steps) {
    switch (step.action) {
      case Action::key:
        if (step.key == 33) {
          keypad.press(33);  // delete-all acts on the press
        } else {
          keypad.click(step.key);
        }
        break;
      case Action::caret:
        keypad.place_caret(step.number);
        break;
      case Action::pick:
        keypad.choose_candidate(step.number);
        break;
      case Action::symbol:
        keypad.pick_symbol(view.page_highlight(), step.number - 1);
        break;
      case Action::undo:
        keypad.undo_delete_all();
        break;
      case Action::copy:
        copied = keypad.copy_text();
        break;
    }
    keypad.idle();
    if (trace) print_line(state_json(engine, view, &step.token, copied), out);
  }
  if (!trace) print_line(state_json(engine, view, nullptr, copied), out);
  return 0;
}

}  // namespace lumeta

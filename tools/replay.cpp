#include "replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <iterator>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "candidate_strip_layout.h"
#include "dictionary.h"
#include "dwell.h"
#include "engine.h"
#include "headless_view.h"
#include "keypad.h"
#include "learning_store.h"
#include "next_words.h"
#include "predictions.h"
#include "scanner.h"
#include "sjis.h"

namespace lumeta {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kCaretPrefix = "CARET:";
constexpr std::string_view kPickPrefix = "PICK:";
constexpr std::string_view kPredictionPrefix = "PRED:";
constexpr std::string_view kLearningFile = "--learning-file";
constexpr std::string_view kSymbolPrefix = "SYM:";
constexpr std::string_view kNextPrefix = "NEXT:";
constexpr std::string_view kDwellPrefix = "DWELL:";
constexpr std::string_view kDwellOption = "--dwell=";
constexpr std::string_view kScanOption = "--scan=";
constexpr std::string_view kScanIntervalOption = "--scan-interval=";
// The window's timer reports the pointer and moves the one-switch highlight this often.
constexpr int kTickMs = 10;
constexpr std::array<const char*, kIndicatorCount> kIndicatorCaptions = {
    "全", "半", "ローマ", "数", "英", "大", "小", "記"};
constexpr std::array<const char*, 6> kColourNames = {"plain", "letter", "romaji",
                                                     "kana",  "kanji",  "katakana"};
constexpr std::array<const char*, 3> kStyleNames = {"plain", "bold", "underline"};

// The command line: each option sets one field.
struct Options {
  bool trace = false;
  bool lookup = false;
  bool builtin_dictionary = false;
  bool dump_dictionary = false;
  bool help = false;
  bool no_predictions = false;
  std::string learning_file;  // --learning-file PATH: learn into PATH and predict from it
  int dwell_ms = 0;           // --dwell=SECONDS; 0: off
  ScanMode scan = ScanMode::off;
  int scan_interval_ms = 1000;
};

struct OptionInfo {
  std::string_view name;
  bool Options::*flag;
  std::string_view help;
};

constexpr std::array<OptionInfo, 6> kOptions = {{
    {"--trace", &Options::trace, "print the state after every key, with \"key\" added"},
    {"--lookup", &Options::lookup,
     "read readings (UTF-8 hiragana, one a line) from standard input and print the\n"
     "                        candidates ↓ shows for each as a JSON line; a line >SPELLING\n"
     "                        prints the words offered right after that word is confirmed:\n"
     "                        {\"after\": ..., \"predictions\": [...]}; takes no keys"},
    {"--builtin-dictionary", &Options::builtin_dictionary,
     "convert with the 676-reading built-in table alone"},
    {"--dump-dictionary", &Options::dump_dictionary,
     "print the built-in dictionary, one JSON line per reading; takes no keys"},
    {"--no-predictions", &Options::no_predictions,
     "the strip offers the candidates alone, as before predictions"},
    {"--help", &Options::help, "print this help"},
}};
constexpr std::string_view kLearningFileHelp =
    "learn the choices confirmed in the keys (or given to --lookup as\n"
    "                        reading<TAB>spelling lines, consecutive ones also as word pairs\n"
    "                        unless an empty line parts them) into the SQLite file PATH, and\n"
    "                        predict and offer next words from what it holds; without it\n"
    "                        nothing is learned";

constexpr int kExitOutputFailed = 1;
constexpr int kExitUsage = 2;

// The keys the replay works, from the key list: the letter keys apart by spaces, the others
// by commas ("A K ... W, BS, RET, ..."). Quit has no token here.
std::string key_tokens() {
  std::string out;
  for (const KeyInfo& key : key_list()) {
    if (key.number == key::quit) continue;
    if (!out.empty()) out += key.kind == KeyKind::letter ? " " : ", ";
    out += key.token;
  }
  return out;
}

// `text` broken into lines of at most `width` characters at spaces.
std::string wrapped(std::string_view text, std::size_t width) {
  std::string out;
  std::size_t line = 0;
  while (!text.empty()) {
    const std::size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    if (line > 0 && line + 1 + word.size() > width) {
      out += '\n';
      line = 0;
    } else if (line > 0) {
      out += ' ';
      ++line;
    }
    out += word;
    line += word.size();
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return out;
}

void print_help(std::ostream& out) {
  out << "Usage: lumeta-replay [OPTION ...] [KEY ...]\n"
         "Works Lumeta's on-screen keys without a screen and prints the state as JSON.\n"
      << wrapped(
             "Keys come from the arguments, or from standard input (white space separated) "
             "when none are given: " +
                 key_tokens() +
                 ", CARET:n (a click in the text at byte position n), PICK:n (a click on "
                 "candidate n of the strip), PRED:n (a click on prediction n of the strip), "
                 "NEXT:n (a click on word n the strip offers right after a confirmation) and "
                 "SYM:n (a click on cell n of the symbol picker's page); with --dwell or --scan "
                 "also DWELL:n (n milliseconds pass), SWITCH and STEP (the switches).",
             88)
      << "\n\nOptions:\n";
  for (const OptionInfo& option : kOptions) {
    out << "  " << option.name << std::string(22 - option.name.size(), ' ') << option.help << '\n';
  }
  out << "  " << kLearningFile << " PATH\n" << std::string(24, ' ') << kLearningFileHelp << '\n';
  out << "  --dwell=SECONDS       press by resting the pointer: a key token moves the pointer\n"
         "                        onto the key, DWELL:n lets n milliseconds pass\n"
         "  --scan=MODE           scan with one-switch or two-switch: SWITCH picks what is\n"
         "                        highlighted, STEP steps (one switch: one interval passes)\n"
         "  --scan-interval=SECONDS  the one-switch scan's step (1.0)\n";
  out << "\nExit status:\n"
         "  0  the state was printed\n"
         "  1  the output could not be written\n"
         "  2  an unknown option or key, or keys given with --dump-dictionary or --lookup\n";
}

// Length of the well-formed UTF-8 character at the start of `s`, or 0.
std::size_t utf8_length(std::string_view s) {
  const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(0);
  if (b < 0x80) return 1;
  const std::size_t length = b >= 0xC2 && b <= 0xDF   ? 2
                             : b >= 0xE0 && b <= 0xEF ? 3
                             : b >= 0xF0 && b <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || s.size() < length) return 0;
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  const unsigned char low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// At most the first 40 characters of `token` for a message: control characters, backslashes
// and bytes that are not UTF-8 are written as \xNN.
std::string printable(std::string_view token) {
  constexpr int kMostChars = 40;
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t i = 0;
  for (int chars = 0; i < token.size() && chars < kMostChars; ++chars) {
    const std::size_t length = utf8_length(token.substr(i));
    const auto b = static_cast<unsigned char>(token[i]);
    const bool control =
        length == 1 ? b < 0x20 || b == 0x7F || b == '\\'
                    : length == 2 && b == 0xC2 && static_cast<unsigned char>(token[i + 1]) < 0xA0;
    if (length == 0 || control) {
      for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
        const auto e = static_cast<unsigned char>(token[i + k]);
        out += "\\x";
        out += kHex[e >> 4];
        out += kHex[e & 15];
      }
      i += std::max<std::size_t>(length, 1);
    } else {
      out.append(token, i, length);
      i += length;
    }
  }
  if (i < token.size()) out += "...";
  return out;
}

// One step of the replay: a key of the key list (every key but quit), a click in the display,
// on a candidate or prediction of the strip, on a word it offers after a confirmation or on a
// cell of the symbol picker.
enum class Action { key, caret, pick, prediction, symbol, next, dwell, pick_switch, step_switch };
struct Step {
  std::string token;
  Action action = Action::key;
  int key = 0;
  int number = 0;  // the caret position, the candidate, offer or cell numbered from 1, or ms
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
  if (token.starts_with(kDwellPrefix)) {
    const std::optional<int> ms = number_after(token, kDwellPrefix);
    if (!ms) return std::nullopt;
    return Step{token, Action::dwell, 0, *ms};
  }
  if (token == "SWITCH") return Step{token, Action::pick_switch};
  if (token == "STEP") return Step{token, Action::step_switch};
  // Candidates, offers and cells are numbered from 1, so 0 names none.
  for (const auto& [prefix, action] :
       {std::pair{kPickPrefix, Action::pick}, std::pair{kPredictionPrefix, Action::prediction},
        std::pair{kSymbolPrefix, Action::symbol}, std::pair{kNextPrefix, Action::next}}) {
    if (!token.starts_with(prefix)) continue;
    const std::optional<int> n = number_after(token, prefix);
    if (!n || *n == 0) return std::nullopt;
    return Step{token, action, 0, *n};
  }
  const KeyInfo* key = find_key_by_token(token);
  if (!key || key->number == key::quit) return std::nullopt;
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

// The lit indicators by caption.
Json indicators_json(const HeadlessView& view) {
  Json indicators = Json::array();
  for (int i = 0; i < kIndicatorCount; ++i) {
    if (view.indicator(static_cast<Indicator>(i)) == IndicatorLook::lit) {
      indicators.push_back(kIndicatorCaptions[i]);
    }
  }
  return indicators;
}

// The keys with a tap count, by key number: {"2": 2} after K, K.
Json tap_counts_json(const EngineState& state) {
  Json taps = Json::object();
  for (int k = 1; k <= kKeyCount; ++k) {
    if (state.tap_count[k] != 0) taps[std::to_string(k)] = state.tap_count[k];
  }
  return taps;
}

// What the replay prints, in its order: each JSON field and where its value comes from. The
// field names are the replay's documented output and stay as they are; several engine members
// go by other names (kanji_converting is EngineState::candidate_shown, zenkaku_digits is
// full_width_digits, and so on).
struct Field {
  const char* name;
  Json (*value)(const Engine& engine, const HeadlessView& view);
};

Json flag(bool on) {
  return on ? 1 : 0;  // flags print as 0 and 1
}

// clang-format off
constexpr Field kFields[] = {
    {"text", [](const Engine&, const HeadlessView& v) { return Json(utf8(v.text())); }},
    {"bytes", [](const Engine&, const HeadlessView& v) { return Json(v.text().size()); }},
    {"caret", [](const Engine&, const HeadlessView& v) { return Json(v.caret()); }},
    {"label", [](const Engine&, const HeadlessView& v) { return Json(utf8(v.label())); }},
    {"mode", [](const Engine& e, const HeadlessView&) { return Json(static_cast<int>(e.state().input_mode)); }},
    {"caps", [](const Engine& e, const HeadlessView&) { return flag(e.state().capitals); }},
    {"saved_mode", [](const Engine& e, const HeadlessView&) { return Json(static_cast<int>(e.state().saved_mode)); }},
    {"indicators", [](const Engine&, const HeadlessView& v) { return indicators_json(v); }},
    {"segments", [](const Engine&, const HeadlessView& v) { return segments_json(v.segments()); }},
    {"front_fixed", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().front_fixed)); }},
    {"front_text", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().front_text)); }},
    {"back_text", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().back_text)); }},
    {"kana_text", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().kana_text)); }},
    {"romaji_text", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().romaji_text)); }},
    {"kana_after_caret", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().kana_after_caret)); }},
    {"zenkaku_digits", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().full_width_digits)); }},
    {"number_conversion", [](const Engine& e, const HeadlessView&) { return Json(utf8(e.state().half_width_digits)); }},
    {"kanji_converting", [](const Engine& e, const HeadlessView&) { return flag(e.state().candidate_shown); }},
    {"katakana_shown", [](const Engine& e, const HeadlessView&) { return flag(e.state().katakana_shown); }},
    {"number_converting", [](const Engine& e, const HeadlessView&) { return flag(e.state().half_width_shown); }},
    {"candidate_index", [](const Engine& e, const HeadlessView&) { return Json(e.state().candidate_index); }},
    {"candidate_count", [](const Engine& e, const HeadlessView&) { return Json(e.state().candidate_count); }},
    {"symbol_page", [](const Engine& e, const HeadlessView&) { return Json(static_cast<int>(e.state().symbol_page)); }},
    {"symbol_dialog", [](const Engine&, const HeadlessView& v) { return Json(v.symbol_picker_visible()); }},
    {"caret_line", [](const Engine& e, const HeadlessView&) { return Json(e.state().caret_line); }},
    {"caret_column", [](const Engine& e, const HeadlessView&) { return Json(e.state().caret_column); }},
    {"goal_column", [](const Engine& e, const HeadlessView&) { return Json(e.state().goal_column); }},
    {"tap_count", [](const Engine& e, const HeadlessView&) { return tap_counts_json(e.state()); }},
};
// clang-format on

Json state_json(const Engine& e, const HeadlessView& view, const std::string* key,
                const std::optional<std::string>& copied, const std::optional<std::string>& sent) {
  Json j;
  if (key) j["key"] = *key;
  for (const Field& field : kFields)
    j[field.name] = field.value(e, view);
  if (copied) j["copied"] = utf8(*copied);
  if (sent) j["sent"] = utf8(*sent);
  return j;
}

// JSON on one line with ", " and ": " between items, the form the replay's readers expect.
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

// Flushes the output; a failed write is an error, never a quiet success.
int finish(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return 0;
  err << "lumeta-replay: cannot write the output\n";
  return kExitOutputFailed;
}

void dump_dictionary(std::ostream& out) {
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
}

// What the strip's first page offers right after `spelling` (UTF-8) is confirmed, typed as
// `reading` (Shift-JIS; empty when not known).
Json offers_json(const NextWordSources& sources, std::string_view reading,
                 const std::string& spelling) {
  const std::optional<std::string> word = sjis::from_utf8(spelling);
  CandidateStrip strip;
  strip.active = true;
  strip.offers = true;
  if (word) strip.candidates = next_word_offers(sources, reading, *word);
  const auto pages = lay_out_strip(strip);
  Json offers = Json::array();
  for (const StripItem& item : pages.empty() ? std::vector<StripItem>() : pages[0])
    offers.push_back(utf8(strip.candidates[item.index - 1]));
  Json j;
  j["after"] = spelling;
  j["predictions"] = offers;
  return j;
}

// One JSON line for each reading on `in` (UTF-8, one a line): the candidates ↓ would show and,
// with the large dictionary, what the strip's first page offers before any ↓ — the predictions
// and how many of the candidates stand beside them. A line "reading<TAB>spelling" is a choice
// confirmed: learned into the learning file, if any, and nothing printed; consecutive ones are
// consecutive words of a text, each learned after the one before, and an empty line ends the
// sentence. A line ">spelling" prints what the strip's first page offers right after that word
// is confirmed: {"after": "画像", "predictions": ["を", …]}, typed as the reading given with it
// last in this run (after がぞう<TAB>画像, がぞう), if any.
void run_lookup(const ConversionSettings& settings, std::istream& in, std::ostream& out) {
  std::array<std::string, kCandidateSlots + 1> slots;
  const bool predicting = settings.dictionaries != Dictionaries::builtin;
  const NextWordSources sources = next_word_sources(settings);
  std::string previous;  // the word before, Shift-JIS; empty at the start of a sentence
  std::map<std::string, std::string> read_as;  // spelling → its reading, both Shift-JIS
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();
    if (line.empty()) {
      previous.clear();
      continue;
    }
    if (line.starts_with('>')) {
      const std::optional<std::string> word = sjis::from_utf8(line.substr(1));
      const auto found = word ? read_as.find(*word) : read_as.end();
      print_line(offers_json(sources, found == read_as.end() ? "" : found->second, line.substr(1)),
                 out);
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) {
      const std::optional<std::string> reading = sjis::from_utf8(line.substr(0, tab));
      const std::optional<std::string> spelling = sjis::from_utf8(line.substr(tab + 1));
      // Kana confirmed as typed are no choice of spelling, as on the keypad.
      if (reading && spelling && *reading != *spelling)
        remember_choice(settings, *reading, *spelling);
      if (spelling && !previous.empty()) sources.record_pair(previous, *spelling);
      if (reading && spelling) read_as[*spelling] = *reading;
      previous = spelling.value_or(std::string());
      continue;
    }
    const std::optional<std::string> reading = sjis::from_utf8(line);
    const int count = reading ? settings.candidates(*reading, slots) : 0;
    CandidateStrip strip;
    strip.active = true;
    strip.candidates.assign(slots.begin() + 1, slots.begin() + 1 + count);
    Json candidates = Json::array();
    for (int i = 1; i <= count; ++i)
      candidates.push_back(utf8(slots[i]));
    Json j;
    j["reading"] = line;
    j["candidates"] = candidates;
    if (predicting) {
      if (reading)
        strip.predictions =
            predictions_for(settings, *reading, strip.candidates, kMostPredictions, previous);
      const auto pages = lay_out_strip(strip);
      Json predictions = Json::array();
      int beside = 0;
      for (const StripItem& item : pages.empty() ? std::vector<StripItem>() : pages[0]) {
        if (item.prediction) {
          predictions.push_back(utf8(strip.predictions[item.index - 1].spelling));
        } else {
          ++beside;
        }
      }
      j["predictions"] = predictions;
      j["first_page_candidates"] = beside;
    }
    print_line(j, out);
  }
}

// "0.8" seconds → 800 ms; nothing for a negative, empty or malformed number.
std::optional<int> milliseconds(std::string_view seconds) {
  double value = 0;
  const auto [end, ec] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value);
  if (ec != std::errc() || end != seconds.data() + seconds.size() || !(value >= 0) ||
      value > 3600) {
    return std::nullopt;
  }
  return static_cast<int>(value * 1000 + 0.5);
}

// The --dwell, --scan and --scan-interval options; false for a malformed one.
bool access_option(std::string_view arg, Options& options) {
  if (arg.starts_with(kDwellOption)) {
    const std::optional<int> ms = milliseconds(arg.substr(kDwellOption.size()));
    if (ms) options.dwell_ms = *ms;
    return ms.has_value();
  }
  if (arg.starts_with(kScanIntervalOption)) {
    const std::optional<int> ms = milliseconds(arg.substr(kScanIntervalOption.size()));
    if (ms && *ms > 0) options.scan_interval_ms = *ms;
    return ms && *ms > 0;
  }
  const std::optional<ScanMode> mode = parse_scan_mode(arg.substr(kScanOption.size()));
  if (mode) options.scan = *mode;
  return mode.has_value();
}

// What dwell rests on and how far it has run: {"on": "A", "progress": 0.5}.
Json dwell_json(const Dwell& dwell, int64_t now) {
  Json j = Json::object();
  const Target* on = dwell.current();
  const KeyInfo* key = on && on->kind == TargetKind::key ? find_key(on->number) : nullptr;
  j["on"] = key ? Json(key->token) : on ? Json(on->name) : Json(nullptr);
  j["progress"] = std::round(dwell.progress(now) * 100) / 100;
  if (dwell.paused()) j["paused"] = true;
  return j;
}

}  // namespace

int run_replay(std::span<const std::string> args, std::istream& in, std::ostream& out,
               std::ostream& err) {
  Options options;
  std::vector<std::string> tokens;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with('-')) {
      tokens.push_back(arg);
      continue;
    }
    if (arg.starts_with(kDwellOption) || arg.starts_with(kScanOption) ||
        arg.starts_with(kScanIntervalOption)) {
      if (!access_option(arg, options)) {
        err << "lumeta-replay: bad value: " << printable(arg) << "\nTry 'lumeta-replay --help'.\n";
        return kExitUsage;
      }
      continue;
    }
    if (arg == kLearningFile) {
      if (i + 1 == args.size() || args[i + 1].empty()) {
        err << "lumeta-replay: " << kLearningFile << " needs a file\n";
        return kExitUsage;
      }
      options.learning_file = args[++i];
      continue;
    }
    const auto option = std::find_if(kOptions.begin(), kOptions.end(),
                                     [&arg](const OptionInfo& o) { return o.name == arg; });
    if (option == kOptions.end()) {
      err << "lumeta-replay: unknown option: " << printable(arg)
          << "\nTry 'lumeta-replay --help'.\n";
      return kExitUsage;
    }
    options.*(option->flag) = true;
  }
  if (options.help) {
    print_help(out);
    return finish(out, err);
  }
  if (options.dump_dictionary) {
    if (!tokens.empty()) {
      err << "lumeta-replay: --dump-dictionary takes no keys\n";
      return kExitUsage;
    }
    dump_dictionary(out);
    return finish(out, err);
  }
  // Nothing is learned or read with the built-in table alone. Predictions read what the file
  // held, and everything learned is written before the replay ends.
  std::optional<LearningStore> store;
  if (!options.learning_file.empty() && !options.builtin_dictionary) {
    store.emplace(options.learning_file, [&err](const LearningProblem& problem) {
      err << "lumeta-replay: " << utf8(problem.message()) << ": " << problem.details << '\n';
    });
    store->flush();
  }
  const ConversionSettings settings(
      options.builtin_dictionary ? Dictionaries::builtin : Dictionaries::builtin_and_large,
      store ? &*store : nullptr, !options.no_predictions);
  if (options.lookup) {
    if (!tokens.empty()) {
      err << "lumeta-replay: --lookup takes no keys\n";
      return kExitUsage;
    }
    run_lookup(settings, in, out);
    return finish(out, err);
  }
  if (tokens.empty()) {
    tokens.assign(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
  }
  std::vector<Step> steps;
  for (const std::string& token : tokens) {
    std::optional<Step> step = parse_token(token);
    if (!step) {
      err << "lumeta-replay: unknown key token: " << printable(token) << '\n';
      return kExitUsage;
    }
    steps.push_back(*step);
  }

  HeadlessView view;
  Engine engine(view);
  Keypad keypad(engine, view);
  keypad.conversion() = settings;
  engine.initialise();
  std::optional<std::string> copied;  // what the last COPY put on the clipboard
  std::optional<std::string> sent;    // what the last SEND delivered
  // Dwell and scanning on a simulated clock, in milliseconds from the start.
  int64_t now = 0;
  std::optional<Dwell> dwell;
  int pointer_x = -1, pointer_y = -1;  // where the last key token left the pointer
  if (options.dwell_ms > 0) dwell.emplace(options.dwell_ms, kWindowWidth, kWindowHeight);
  std::optional<Scanner> scanner;
  if (options.scan != ScanMode::off) scanner.emplace(options.scan, options.scan_interval_ms);
  // The state, with what dwell rests on and what the scan highlights when they are on.
  const auto access_state = [&](Json j) {
    if (dwell) j["dwell"] = dwell_json(*dwell, now);
    if (scanner) j["scan"] = scanner->spoken();
    return j;
  };
  const auto scene = [&] {
    if (!scanner) return;
    const std::optional<SymbolPage> picker =
        view.symbol_picker_visible() ? std::optional(view.page_highlight()) : std::nullopt;
    scanner->set_scene(scene_of(keypad.strip(), 0, picker), now);
  };
  scene();
  const auto run = [&](const Step& step) {
    switch (step.action) {
      case Action::key:
        // Headless, the copy key's clipboard text goes into the JSON.
        if (step.key == key::copy) {
          copied = keypad.copy_text();
        } else if (step.key == key::send) {
          // Headless, every delivery goes through whole.
          sent = keypad.begin_send();
          keypad.sent(sjis::count_chars(*sent));
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
      case Action::prediction:
        keypad.choose_prediction(step.number);
        break;
      case Action::symbol:
        keypad.pick_symbol(view.page_highlight(), step.number - 1);
        break;
      case Action::next:
        keypad.choose_offer(step.number);
        break;
      default:
        break;
    }
  };
  // A target dwell or a switch picked, worked as its click would be.
  const auto work = [&](const Target& target) {
    switch (target.kind) {
      case TargetKind::key:
        if (target.number == key::pause && dwell) {
          dwell->toggle_pause();
        } else if (target.number != key::quit) {
          run({"", Action::key, target.number});
        }
        break;
      case TargetKind::candidate:
        run({"", Action::pick, 0, target.number});
        break;
      case TargetKind::prediction:
        run({"", Action::prediction, 0, target.number});
        break;
      case TargetKind::offer:
        run({"", Action::next, 0, target.number});
        break;
      case TargetKind::symbol:
        run({"", Action::symbol, 0, target.number + 1});
        break;
      default:
        break;  // the strip's pages and the settings panel are the window's
    }
    keypad.idle();
    scene();
  };
  // Time passes tick by tick, as the window's timer sees it.
  const auto pass = [&](int ms) {
    for (const int64_t end = now + ms; now < end;) {
      now = std::min<int64_t>(now + kTickMs, end);
      if (dwell) {
        if (const std::optional<Target> target = dwell->pointer(pointer_x, pointer_y, now)) {
          work(*target);
        }
      }
      if (scanner) scanner->tick(now);
    }
  };
  for (const Step& step : steps) {
    switch (step.action) {
      case Action::dwell:
        pass(step.number);
        break;
      case Action::pick_switch:
        if (scanner) {
          if (const std::optional<Target> target = scanner->pick(now)) work(*target);
        }
        break;
      case Action::step_switch:
        if (scanner && scanner->mode() == ScanMode::one_switch) {
          pass(scanner->interval_ms());
        } else if (scanner) {
          scanner->step(now);
        }
        break;
      case Action::key:
        // With dwell on, a key token moves the pointer onto the key; dwell does the rest.
        if (dwell) {
          const KeyPlace& p = find_key(step.key)->place;
          pointer_x = p.left + p.width / 2;
          pointer_y = p.top + p.height / 2;
          if (const std::optional<Target> target = dwell->pointer(pointer_x, pointer_y, now)) {
            work(*target);
          }
          break;
        }
        [[fallthrough]];
      default:
        run(step);
        keypad.idle();
        scene();
        break;
    }
    if (options.trace) {
      print_line(access_state(state_json(engine, view, &step.token, copied, sent)), out);
    }
  }
  if (!options.trace)
    print_line(access_state(state_json(engine, view, nullptr, copied, sent)), out);
  return finish(out, err);
}

}  // namespace lumeta

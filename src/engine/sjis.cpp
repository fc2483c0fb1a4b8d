#include "sjis.h"

#include <iconv.h>

#include <cerrno>

namespace lumeta::sjis {
namespace {

bool is_crlf_at(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
}

// Number of lead-range bytes directly in front of `position`. The byte before that run is a
// single-byte character or a trail byte, so the run itself starts on a character boundary.
std::size_t lead_run_before(std::string_view text, std::size_t position) {
  std::size_t i = position;
  while (i > 0 && is_lead_byte(text[i - 1]))
    --i;
  return position - i;
}

}  // namespace

bool is_boundary(std::string_view text, std::size_t position) {
  if (position == 0 || position >= text.size()) return position <= text.size();
  if (text[position - 1] == '\r' && text[position] == '\n') return false;
  // In a run of lead-range bytes that starts on a boundary, characters start at even offsets.
  return lead_run_before(text, position) % 2 == 0;
}

std::size_t previous_boundary(std::string_view text, std::size_t position) {
  if (position < 2) return 0;
  if (text[position - 2] == '\r' && text[position - 1] == '\n') return position - 2;
  // The byte at position - 1 is a trail byte when an odd run of lead-range bytes precedes it.
  return lead_run_before(text, position - 1) % 2 == 1 ? position - 2 : position - 1;
}

std::size_t next_boundary(std::string_view text, std::size_t position) {
  if (position >= text.size()) return text.size();
  if (is_lead_byte(text[position]) || is_crlf_at(text, position)) {
    return std::min(position + 2, text.size());
  }
  return position + 1;
}

std::size_t floor_boundary(std::string_view text, std::size_t position) {
  if (position >= text.size()) return text.size();
  return is_boundary(text, position) ? position : position - 1;
}

std::size_t count_chars(std::string_view text) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); i = next_boundary(text, i))
    ++chars;
  return chars;
}

Converter::Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

Converter::~Converter() {
  if (ok()) iconv_close(static_cast<iconv_t>(cd_));
}

bool Converter::ok() const {
  return cd_ != reinterpret_cast<void*>(-1);
}

std::optional<std::string> Converter::operator()(std::string_view in) {
  if (!ok()) return std::nullopt;
  const auto cd = static_cast<iconv_t>(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial state, as a fresh descriptor's
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  std::size_t done = 0;
  // The text, then what the output's shift state still holds.
  for (bool flushing = false;;) {
    char* dst = out.data() + done;
    std::size_t dst_left = out.size() - done;
    const std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &dst, &dst_left)
                                   : iconv(cd, &src, &src_left, &dst, &dst_left);
    done = out.size() - dst_left;
    if (r == static_cast<std::size_t>(-1)) {
      if (errno != E2BIG) return std::nullopt;
      out.resize(out.size() * 2);
    } else if (!flushing) {
      flushing = true;
    } else {
      break;
    }
  }
  out.resize(done);
  return out;
}

std::optional<std::string> to_utf8(std::string_view cp932) {
  thread_local Converter converter("UTF-8", "CP932");
  return converter(cp932);
}

std::optional<std::string> from_utf8(std::string_view utf8) {
  thread_local Converter converter("CP932", "UTF-8");
  return converter(utf8);
}

bool is_valid(std::string_view cp932) {
  if (!to_utf8(cp932)) return false;
  for (std::size_t i = 0; i < cp932.size(); i = next_boundary(cp932, i)) {
    const char c = cp932[i];
    if ((c == '\r' && !is_crlf_at(cp932, i)) || c == '\n') return false;
    if (is_lead_byte(c) && i + 1 >= cp932.size()) return false;
  }
  return true;
}

bool is_reading(std::string_view s) {
  if (s.empty() || s.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const CharClass kind = char_class(code_at(s, i));
    if (kind != CharClass::hiragana && kind != CharClass::long_vowel) return false;
  }
  return true;
}

bool no_pending_romaji(std::string_view s) {
  if (s.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const unsigned code = code_at(s, i);
    if (code == 0 || char_class(code) == CharClass::full_width_letter) return false;
  }
  return true;
}

bool has_letter(std::string_view s) {
  for (std::size_t i = 0; i + 1 < s.size(); i = next_boundary(s, i)) {
    const CharClass kind = char_class(code_at(s, i));
    if (kind == CharClass::hiragana || kind == CharClass::katakana_and_more ||
        kind == CharClass::kanji)
      return true;
  }
  return false;
}

}  // namespace lumeta::sjis

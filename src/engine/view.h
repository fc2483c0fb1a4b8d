// What the engine needs of the screen: the text display, the labels, the key faces and the
// symbol picker. The window, the headless replay display and the tests implement it.
//
// All text handed over is Shift-JIS (CP932); positions are byte offsets into the display text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "key_faces.h"

namespace lumeta {

enum class Colour : uint8_t { plain, letter, romaji, kana, kanji, katakana };
enum class Style : uint8_t { plain, bold, underline };

// A styled byte range [start, end) of the display text. Text outside every segment is plain.
struct Segment {
  int start;
  int end;
  Colour colour;
  Style style;
  bool operator==(const Segment&) const = default;
};

// How the display text changed: `removed` bytes at `start` were replaced by `inserted` bytes.
// The display applies it to its own copy of the text, so neither side copies or compares the
// whole text.
struct TextChange {
  int start;
  int removed;
  int inserted;
};

// The eight indicator labels under the display.
enum class Indicator : uint8_t {
  full_width,  // 全
  half_width,  // 半
  romaji,      // ローマ
  number,      // 数
  alphabet,    // 英
  capital,     // 大
  small,       // 小
  symbol,      // 記
};
inline constexpr int kIndicatorCount = 8;

// Lit: black background. Unlit: the button-face colour. White: a white background (the case
// key shows 大 so in full-width alphabet mode with small letters).
enum class IndicatorLook : uint8_t { unlit, lit, white };

class View {
 public:
  virtual ~View() = default;

  // The text display.
  // Replaces change.removed bytes at change.start with `inserted` (change.inserted bytes).
  virtual void edit_text(TextChange change, std::string_view inserted) = 0;
  virtual void set_segments(std::span<const Segment> segments) = 0;
  virtual void set_caret(int position) = 0;
  virtual int caret() const = 0;
  virtual void set_focus() = 0;
  virtual int caret_line_start() = 0;   // first position of the display line holding the caret
  virtual int caret_line_number() = 0;  // that line's number from 0, wrapped lines included
  virtual void repaint() = 0;

  // Labels.
  virtual void set_position_label(std::string_view caption) = 0;
  // A key was refused because the text would pass its limit; nothing changed. The user should
  // see and hear it.
  virtual void key_refused() = 0;
  virtual void set_indicator(Indicator indicator, IndicatorLook look) = 0;

  // Keys by key:: number: the painted face of a letter key, key::centre or key::caps;
  // the caption colour of a caption key while it is held.
  virtual void set_key_face(int key, const Face& face) = 0;
  virtual void set_caption_held(int key, bool held) = 0;

  // The symbol picker: a panel over the text, in the window.
  virtual void fill_symbol_grid() = 0;
  virtual void show_symbol_picker() = 0;
  virtual void hide_symbol_picker() = 0;
  virtual bool symbol_picker_visible() const = 0;
  virtual void set_symbol_page_highlight(SymbolPage page) = 0;
};

}  // namespace lumeta

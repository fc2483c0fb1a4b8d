// What each painted key shows: the marks of the fifteen letter keys in every mode, and the
// faces of the centre and case keys. Plain data; the window paints it on a 50 x 50 face.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine_state.h"

namespace lumeta {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLime{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};

// One text drawn bold on a face: top-left corner x, y in face pixels, size in points.
struct Mark {
  std::string_view text;  // Shift-JIS
  int x = 0;
  int y = 0;
  int points = 0;
  Rgb colour = kBlack;
  bool operator==(const Mark&) const = default;
};

// A face of up to four marks; no marks is a blank face.
struct Face {
  std::array<Mark, 4> marks{};
  int count = 0;

  void add(const Mark& mark) { marks[count++] = mark; }
  bool blank() const { return count == 0; }
  bool operator==(const Face&) const = default;
};

inline constexpr int kFaceSize = 50;

// The face of letter key `key` (key::A .. key::W) in input mode `mode` with the case flag `caps`,
// no mark highlighted. Modes without letter faces (symbol mode) give a blank face.
Face letter_face(int key, InputMode mode, bool caps);

// `face` with mark number `mark` (1-based, as the face tables count them) painted lime green;
// marks with a colour of their own ("通話" blue, "切/電源" red) keep it.
Face with_highlight(Face face, int key, InputMode mode, int mark);

// What the centre key and the case key show: the centre key's "決定" or "改行", the case key's
// "数字" over "小文字", or nothing.
enum class KeyCaption : uint8_t { blank, confirm, line_break, case_words };

// The centre key's face: "決定" for confirm, "改行" for line_break, otherwise blank.
Face centre_face(KeyCaption caption, bool highlight);

// The case key: "数字" over "小文字".
Face case_face(bool highlight);

}  // namespace lumeta

#include "key_faces.h"
#include <span>

namespace lumeta {
namespace {

// One mark of one key: small form and position, capital form and position, size, colour.
struct MarkRow {
  int key;
  int mark;
  std::string_view small;
  int sx, sy;
  std::string_view capital;
  int cx, cy;
  int points;
  Rgb colour = kBlack;
};

constexpr MarkRow kRomajiMarks[] = {
    {key::A, 1, "a", 7, 11, "A", 6, 11, 16},     {key::A, 2, "あ", 30, 19, "あ", 30, 19, 10},
    {key::K, 1, "k", 2, 11, "K", 2, 11, 16},     {key::K, 2, "g", 21, 19, "G", 21, 19, 11},
    {key::K, 3, "q", 37, 19, "Q", 37, 19, 11},   {key::H, 1, "h", 2, 11, "H", 2, 11, 16},
    {key::H, 2, "b", 21, 19, "B", 21, 19, 11},   {key::H, 3, "p", 37, 19, "P", 37, 19, 11},
    {key::I, 1, "i", 12, 11, "I", 11, 11, 16},   {key::I, 2, "い", 30, 19, "い", 30, 19, 10},
    {key::S, 1, "s", 2, 11, "S", 2, 11, 16},     {key::S, 2, "z", 21, 19, "Z", 23, 19, 11},
    {key::S, 3, "j", 37, 19, "J", 37, 19, 11},   {key::M, 1, "m", 2, 11, "M", 2, 11, 16},
    {key::M, 2, "f", 25, 19, "F", 23, 19, 11},   {key::M, 3, "v", 37, 19, "V", 37, 19, 11},
    {key::U, 1, "u", 6, 11, "U", 6, 11, 16},     {key::U, 2, "う", 30, 19, "う", 30, 19, 10},
    {key::T, 1, "t", 2, 11, "T", 2, 11, 16},     {key::T, 2, "d", 21, 19, "D", 21, 19, 11},
    {key::T, 3, "c", 37, 19, "C", 37, 19, 11},   {key::Y, 1, "y", 2, 11, "Y", 2, 11, 16},
    {key::Y, 2, "っ", 20, 19, "っ", 20, 19, 10}, {key::Y, 3, "ー", 35, 19, "ー", 35, 19, 10},
    {key::E, 1, "e", 7, 11, "E", 7, 11, 16},     {key::E, 2, "え", 30, 19, "え", 30, 19, 10},
    {key::N, 1, "n", 2, 11, "N", 2, 11, 16},     {key::N, 2, "ん", 23, 19, "ん", 23, 19, 10},
    {key::N, 3, "・", 41, 19, "・", 41, 19, 10}, {key::R, 1, "r", 2, 11, "R", 2, 11, 16},
    {key::R, 2, "l", 25, 19, "L", 24, 19, 11},   {key::R, 3, "～", 36, 19, "～", 36, 19, 10},
    {key::O, 1, "o", 6, 11, "O", 5, 11, 16},     {key::O, 2, "お", 30, 19, "お", 30, 19, 10},
    {key::Z, 1, "、", 1, 16, "、", 1, 16, 12},   {key::Z, 2, "。", 12, 16, "。", 12, 16, 12},
    {key::Z, 3, "？", 20, 16, "？", 20, 16, 12}, {key::Z, 4, "！", 35, 16, "！", 35, 16, 12},
    {key::W, 1, "w", 0, 11, "W", 0, 11, 16},     {key::W, 2, "x", 21, 19, "X", 21, 19, 11},
    {key::W, 3, "□", 34, 19, "□", 34, 19, 11},
};

// Half-width and full-width alphabet modes share their faces.
constexpr MarkRow kAlphabetMarks[] = {
    {key::A, 1, "a", 2, 11, "A", 2, 11, 16},   {key::A, 2, "@", 21, 19, "@", 21, 19, 11},
    {key::A, 3, "&", 37, 19, "&", 37, 19, 11}, {key::K, 1, "k", 2, 11, "K", 2, 11, 16},
    {key::K, 2, "g", 21, 19, "G", 21, 19, 11}, {key::K, 3, "q", 37, 19, "Q", 37, 19, 11},
    {key::H, 1, "h", 2, 11, "H", 2, 11, 16},   {key::H, 2, "b", 21, 19, "B", 21, 19, 11},
    {key::H, 3, "p", 37, 19, "P", 37, 19, 11}, {key::I, 1, "i", 6, 11, "I", 6, 11, 16},
    {key::I, 2, "'", 25, 19, "'", 25, 19, 11}, {key::I, 3, "\"", 37, 19, "\"", 37, 19, 11},
    {key::S, 1, "s", 2, 11, "S", 2, 11, 16},   {key::S, 2, "z", 21, 19, "Z", 23, 19, 11},
    {key::S, 3, "j", 37, 19, "J", 37, 19, 11}, {key::M, 1, "m", 2, 11, "M", 2, 11, 16},
    {key::M, 2, "f", 25, 19, "F", 23, 19, 11}, {key::M, 3, "v", 37, 19, "V", 37, 19, 11},
    {key::U, 1, "u", 4, 11, "U", 4, 11, 16},   {key::U, 2, "_", 27, 17, "_", 27, 17, 11},
    {key::U, 3, "+", 37, 19, "+", 37, 19, 11}, {key::T, 1, "t", 2, 11, "T", 2, 11, 16},
    {key::T, 2, "d", 21, 19, "D", 21, 19, 11}, {key::T, 3, "c", 37, 19, "C", 37, 19, 11},
    {key::Y, 1, "y", 9, 11, "Y", 8, 11, 16},   {key::Y, 2, "-", 30, 18, "-", 30, 18, 11},
    {key::E, 1, "e", 4, 11, "E", 4, 11, 16},   {key::E, 2, "/", 24, 18, "/", 24, 18, 10},
    {key::E, 3, ":", 39, 18, ":", 39, 18, 11}, {key::N, 1, "n", 15, 11, "N", 15, 11, 16},
    {key::R, 1, "r", 2, 11, "R", 2, 11, 16},   {key::R, 2, "l", 25, 19, "L", 24, 19, 11},
    {key::R, 3, "~", 38, 21, "~", 38, 21, 11}, {key::O, 1, "o", 4, 11, "O", 2, 11, 16},
    {key::O, 2, "(", 27, 19, "(", 27, 19, 11}, {key::O, 3, ")", 42, 19, ")", 42, 19, 11},
    {key::Z, 1, ",", 6, 13, ",", 6, 13, 13},   {key::Z, 2, ".", 16, 13, ".", 16, 13, 13},
    {key::Z, 3, "?", 27, 13, "?", 27, 13, 13}, {key::Z, 4, "!", 43, 13, "!", 43, 13, 13},
    {key::W, 1, "w", 0, 11, "W", 0, 11, 16},   {key::W, 2, "x", 21, 19, "X", 21, 19, 11},
    {key::W, 3, "□", 34, 19, "□", 34, 19, 11},
};

// The number modes turn the keypad into a telephone's; K is blank.
constexpr MarkRow kNumberMarks[] = {
    {key::A, 1, "通話", 7, 16, "通話", 7, 16, 11, kBlue},
    {key::H, 1, "切/電源", 0, 17, "切/電源", 0, 17, 8, kRed},
    {key::I, 1, "1", 17, 11, "1", 17, 11, 16},
    {key::S, 1, "2", 17, 11, "2", 17, 11, 16},
    {key::M, 1, "3", 17, 11, "3", 17, 11, 16},
    {key::U, 1, "4", 17, 11, "4", 17, 11, 16},
    {key::T, 1, "5", 17, 11, "5", 17, 11, 16},
    {key::Y, 1, "6", 17, 11, "6", 17, 11, 16},
    {key::E, 1, "7", 17, 11, "7", 17, 11, 16},
    {key::N, 1, "8", 17, 11, "8", 17, 11, 16},
    {key::R, 1, "9", 17, 11, "9", 17, 11, 16},
    {key::O, 1, "*", 17, 11, "*", 17, 11, 16},
    {key::Z, 1, "0", 17, 11, "0", 17, 11, 16},
    {key::W, 1, "#", 17, 11, "#", 17, 11, 16},
};

std::span<const MarkRow> marks_of_mode(InputMode mode) {
  switch (mode) {
    case InputMode::romaji:
      return kRomajiMarks;
    case InputMode::half_alphabet:
    case InputMode::full_alphabet:
      return kAlphabetMarks;
    case InputMode::half_number:
    case InputMode::full_number:
      return kNumberMarks;
    case InputMode::symbol:
      return {};
  }
  return {};
}

Mark mark_of(const MarkRow& row, bool caps) {
  return caps ? Mark{row.capital, row.cx, row.cy, row.points, row.colour}
              : Mark{row.small, row.sx, row.sy, row.points, row.colour};
}

}  // namespace

Face letter_face(int key, InputMode mode, bool caps) {
  Face face;
  for (const MarkRow& row : marks_of_mode(mode)) {
    if (row.key == key) face.add(mark_of(row, caps));
  }
  return face;
}

Face with_highlight(Face face, int key, InputMode mode, int mark) {
  int number = 0;
  for (const MarkRow& row : marks_of_mode(mode)) {
    if (row.key != key) continue;
    if (row.mark == mark && number < face.count && face.marks[number].colour == kBlack) {
      face.marks[number].colour = kLime;
    }
    ++number;
  }
  return face;
}

Face centre_face(KeyCaption caption, bool highlight) {
  Face face;
  const Rgb colour = highlight ? kLime : kBlack;
  if (caption == KeyCaption::confirm) face.add({"決定", 6, 15, 11, colour});
  if (caption == KeyCaption::line_break) face.add({"改行", 6, 15, 11, colour});
  return face;
}

Face case_face(bool highlight) {
  Face face;
  const Rgb colour = highlight ? kLime : kBlack;
  face.add({"数字", 8, 7, 10, colour});
  face.add({"小文字", 2, 26, 9, colour});
  return face;
}

}  // namespace lumeta

// The layout of the built-in lexicon table, shared by the build-time tool that writes it
// (make_lexicon.cpp) and the lookup that reads it in place (lexicon.cpp).
//
// All numbers in native byte order; every section starts on a 16-byte boundary.
//   Header
//   Reading readings[reading_count + 1]   sorted by text; the last is a sentinel
//   Row rows[row_count]                   grouped by reading, each group best first
//   Prefix prefixes[prefix_count + 1]     readings' first one or two kana, sorted; sentinel
//   uint32 prefix_rows[]                  rows predicted for each prefix, best first
//   int16 matrix[contexts * contexts]     connection cost, [right id of the word before]
//                                         [left id of the word after]; id 0 is the sentence edge
//   uint8 joins[contexts * contexts / 8]  bit set where a conjugated word's form suits the word
//                                         after it (see Row::form)
//   char text[]                           each reading and spelling as uint8 length + bytes
#pragma once

#include <cstdint>

namespace lumeta::lexicon::format {

// "LXC1" in little-endian order.
inline constexpr uint32_t kMagic = 0x3143584C;

struct Header {
  uint32_t magic;
  uint32_t reading_count;
  uint32_t row_count;
  uint32_t prefix_count;
  uint32_t prefix_row_count;
  uint32_t contexts;  // 1316 for ipadic
  uint32_t text_size;
  uint32_t max_reading_chars;  // the longest reading, in kana
  // Byte offsets of the sections from the start of the table.
  uint32_t readings, rows, prefixes, prefix_rows, matrix, joins, text, reserved;
};

struct Reading {
  uint32_t text;       // offset of its length-prefixed text
  uint32_t first_row;  // its rows are [first_row, next reading's first_row)
};

// The part of speech, as much as ranking and word sequences need.
enum Kind : uint8_t {
  kContent = 0,  // nouns, verbs, adjectives, adverbs …: 書く, 画像, 新しい
  kPrefix = 1,   // before a noun: お (お茶), 再 (再起動)
  kEnding =
      2,  // after a conjugated word, as part of its form: た, て, ない, ます, いる (書いている)
  kParticle = 3,  // after a word, a word of its own: を, に, が, の, は, から
  kSuffix = 4,    // after a noun: さん, 的, こと
  kSuru = 5,      // the verb する in its forms, a word or after a verbal noun: 移動 + し + た
};

// Which place in a word sequence a row's conjugated form may take.
enum Form : uint8_t {
  kWhole = 0,  // ends a word: 書く, 書け, 画像 (and every word that does not conjugate)
  kStem = 1,   // the continuative, a word alone or before an ending: 書き
  kInside = 2,  // only before an ending: 書い (書いた), 書か (書かない), 書け (書けば)
  kNever = 3,  // colloquial or classical forms never offered: 書きゃ, 書かん
};

enum Flags : uint8_t {
  kProperNoun = 1,   // 名詞,固有名詞: 海田, 田中
  kKanaOfKanji = 2,  // a katakana spelling where the same reading has kanji spellings: カク
  kConjugates = 4,   // has conjugated forms
  kVoicedJoin = 8,  // a 連用タ接続 form taking だ and で: 嗅い (嗅いだ), 読ん (読んだ)
  kPlainTa = 16,      // an ending beginning with た or て: た, て, ても, たり
  kVoicedTa = 32,     // an ending beginning with だ or で: だ, で, でも, だり
  kCopula = 64,       // だ and です in their forms, which follow nouns: 静か + だっ + た
  kVerbalNoun = 128,  // a noun that takes する: 移動 (移動する)
};

enum Traits : uint8_t {
  kHeadword = 1,       // the form a dictionary lists the word under: 書く, 画像 (not 書け)
  kAuxiliaryVerb = 2,  // 助動詞 and れる, られる …, whose continuative may end a sequence:
                       // 行わ + れ, 埋め + られ
};

struct Row {
  uint32_t spelling;  // offset of its length-prefixed text
  int16_t cost;       // the word's cost: lower is likelier
  uint16_t left;      // context id on its left
  uint16_t right;     // context id on its right
  uint8_t kind;       // Kind
  uint8_t form;       // Form
  uint8_t flags;      // Flags
  uint8_t listed;     // place of the spelling in the large dictionary's list for the reading
                      // (or for its stem: 書く is 0 under かk), 255 when it is not listed
  uint8_t traits;     // Traits
  uint8_t by_stem;    // 1 when `listed` is the stem's place only (書い: 書 under かi)
};
static_assert(sizeof(Row) == 16);

struct Prefix {
  uint32_t text;       // offset of its length-prefixed text
  uint32_t first_row;  // its predictions are prefix_rows[first_row, next prefix's first_row)
};

// Predictions kept per prefix of one or two kana.
inline constexpr uint32_t kPredictionsPerPrefix = 64;

}  // namespace lumeta::lexicon::format

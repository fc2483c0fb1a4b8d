#include "symbols.h"

#include "engine.h"

namespace lumeta {
namespace {

// The symbols of JIS row 2 from ○ to ◯ (√ twice), three ideographic spaces, then row 1 from
// 、 to ★, in code order.
constexpr std::array<std::string_view, kSymbolColumns* kSymbolRows> kSymbolTable = {
    "○",  "●",  "◎",  "◇",  "◆",  "□",  "■",  "△",  "▲",  "▽",  "▼",  "※",  "〒", "→",  "←",
    "↑",  "↓",  "〓", "∈",  "∋",  "⊆",  "⊇",  "⊂",  "⊃",  "∪",  "∩",  "∧",  "∨",  "￢", "⇒",
    "⇔",  "∀",  "∃",  "∠",  "⊥",  "⌒",  "∂",  "∇",  "≡",  "≒",  "≪",  "≫",  "√",  "√",  "∽",
    "∝",  "∵",  "∫",  "∬",  "Å",  "‰",  "♯",  "♭",  "♪",  "†",  "‡",  "¶",  "◯",  "　", "　",
    "　", "、", "。", "，", "．", "・", "：", "；", "？", "！", "゛", "゜", "´",  "｀", "¨",
    "＾", "￣", "＿", "ヽ", "ヾ", "ゝ", "ゞ", "〃", "仝", "々", "〆", "〇", "ー", "―",  "‐",
    "／", "＼", "～", "∥",  "｜", "…",  "‥",  "‘",  "’",  "“",  "”",  "（", "）", "〔", "〕",
    "［", "］", "｛", "｝", "〈", "〉", "《", "》", "「", "」", "『", "』", "【", "】", "＋",
    "－", "±",  "×",  "÷",  "＝", "≠",  "＜", "＞", "≦",  "≧",  "∞",  "∴",  "♂",  "♀",  "°",
    "′",  "″",  "℃",  "￥", "＄", "￠", "￡", "％", "＃", "＆", "＊", "＠", "§",  "☆",  "★",
};

// The half-width page: the printable one-byte signs, then the half-width katakana signs.
constexpr std::string_view kHalfWidthSigns[] = {
    "!", "\"", "#", "$", "%", "&", "'", "(", ")", "*",  "+", ",", "-", ".",
    "/", ":",  ";", "<", "=", ">", "?", "@", "[", "\\", "]", "^", "_", "`",
    "{", "|",  "}", "~", "｡", "｢", "｣", "､", "･", "ｰ",  "ﾞ", "ﾟ",
};

// The pictographs page: circled and Roman numerals, unit and era symbols, ㈱ ℡ № and the like,
// then the figures and marks of the full-width set.
constexpr std::string_view kPictographs[] = {
    "①",  "②",  "③",  "④",  "⑤",  "⑥",  "⑦",  "⑧",  "⑨",  "⑩",  "⑪",  "⑫",  "⑬",  "⑭",
    "⑮",  "⑯",  "⑰",  "⑱",  "⑲",  "⑳",  "Ⅰ",  "Ⅱ",  "Ⅲ",  "Ⅳ",  "Ⅴ",  "Ⅵ",  "Ⅶ",  "Ⅷ",
    "Ⅸ",  "Ⅹ",  "㍉", "㌔", "㌢", "㍍", "㌘", "㌧", "㌃", "㌶", "㍑", "㍗", "㌍", "㌦",
    "㌣", "㌫", "㍊", "㌻", "㎜", "㎝", "㎞", "㎎", "㎏", "㏄", "㎡", "㍻", "〝", "〟",
    "№",  "㏍", "℡",  "㊤", "㊥", "㊦", "㊧", "㊨", "ⅰ",  "ⅱ",  "ⅲ",  "ⅳ",  "ⅴ",  "ⅵ",
    "ⅶ",  "ⅷ",  "ⅸ",  "ⅹ",  "㈱", "㈲", "㈹", "㍾", "㍽", "㍼", "☆",  "★",  "○",  "●",
    "◎",  "◇",  "◆",  "□",  "■",  "△",  "▲",  "▽",  "▼",  "※",  "〒", "♪",  "♭",  "♯",
};

constexpr std::array<std::string_view, kSymbolPageCount> kPageNames = {"全角記号", "半角記号",
                                                                       "絵文字"};

}  // namespace

const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table() {
  return kSymbolTable;
}

std::span<const std::string_view> symbol_page_entries(SymbolPage page) {
  switch (page) {
    case SymbolPage::full_width:
      return kSymbolTable;
    case SymbolPage::half_width:
      return kHalfWidthSigns;
    case SymbolPage::pictographs:
      return kPictographs;
  }
  return {};
}

std::string_view symbol_page_name(SymbolPage page) {
  const int index = static_cast<int>(page) - 1;
  return index >= 0 && index < kSymbolPageCount ? kPageNames[index] : std::string_view{};
}

void insert_symbol(Engine& engine, std::string_view symbol) {
  if (engine.state().input_mode != InputMode::symbol || symbol.empty()) return;
  engine.reset_tap_counts();
  engine.type_confirmed(symbol);  // nothing pending: plain text, the caret after the symbol
}

}  // namespace lumeta

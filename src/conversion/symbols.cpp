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

constexpr std::array<std::string_view, 3> kPageNames = {"全角記号", "半角記号", "絵文字"};

}  // namespace

const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table() {
  return kSymbolTable;
}

std::span<const std::string_view> symbol_page_entries(int page) {
  switch (page) {
    case 1:
      return kSymbolTable;
    case 2:
      return kHalfWidthSigns;
    case 3:
      return kPictographs;
    default:
      return {};
  }
}

std::string_view symbol_page_name(int page) {
  return page >= 1 && page <= 3 ? kPageNames[page - 1] : std::string_view{};
}

void insert_symbol(Engine& engine, std::string_view symbol) {
  if (engine.input_mode != InputMode::symbol || symbol.empty()) return;
  engine.reset_tap_counts();
  engine.front_text += symbol;
  engine.front_fixed = engine.front_text;
  engine.show_romaji_mode();  // nothing pending: plain text, the caret after the symbol
}

void next_symbol_page(Engine& engine) {
  engine.symbol_page = static_cast<uint8_t>(engine.symbol_page % 3 + 1);
  engine.view.set_symbol_page_highlight(engine.symbol_page);
}

void previous_symbol_page(Engine& engine) {
  engine.symbol_page = static_cast<uint8_t>(engine.symbol_page == 1 ? 3 : engine.symbol_page - 1);
  engine.view.set_symbol_page_highlight(engine.symbol_page);
}

}  // namespace lumeta

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

constexpr std::array<std::string_view, 3> kPageNames = {"全角記号", "半角記号", "絵文字"};

}  // namespace

const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table() {
  return kSymbolTable;
}

std::string_view symbol_page_name(int page) {
  return page >= 1 && page <= 3 ? kPageNames[page - 1] : std::string_view{};
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

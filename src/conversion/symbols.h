// Symbol mode: the 150 full-width symbols of the dialog's grid and the page stepping.
#pragma once

#include <array>
#include <string_view>

namespace lumeta {

class Engine;

inline constexpr int kSymbolColumns = 10;
inline constexpr int kSymbolRows = 15;

// Entry 10 * row + column fills that cell of the grid (Shift-JIS, one character each).
const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table();

// The page names, 1 "全角記号", 2 "半角記号", 3 "絵文字" (Shift-JIS).
std::string_view symbol_page_name(int page);

// ↓ and ↑ in symbol mode: 1 → 2 → 3 → 1 and back, with the dialog's highlight following.
void next_symbol_page(Engine& engine);
void previous_symbol_page(Engine& engine);

}  // namespace lumeta

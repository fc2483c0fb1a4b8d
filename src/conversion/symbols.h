// Symbol mode: the 150 full-width symbols of the dialog's grid and the page stepping.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace lumeta {

class Engine;

inline constexpr int kSymbolColumns = 10;
inline constexpr int kSymbolRows = 15;

// Entry 10 * row + column fills that cell of the grid (Shift-JIS, one character each).
const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table();

// What each page offers to pick, in grid order (ten to a row): 1 the table above, 2 the
// half-width signs, 3 the pictographs.
std::span<const std::string_view> symbol_page_entries(int page);

// The page names, 1 "全角記号", 2 "半角記号", 3 "絵文字" (Shift-JIS).
std::string_view symbol_page_name(int page);

// Inserts a picked symbol at the insertion point as confirmed text (symbol mode only).
void insert_symbol(Engine& engine, std::string_view symbol);

// ↓ and ↑ in symbol mode: 1 → 2 → 3 → 1 and back, with the dialog's highlight following.
void next_symbol_page(Engine& engine);
void previous_symbol_page(Engine& engine);

}  // namespace lumeta

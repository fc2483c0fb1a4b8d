// Symbol mode: the 150 full-width symbols of the dialog's grid and the pages of the picker.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "engine_state.h"

namespace lumeta {

class Engine;

inline constexpr int kSymbolColumns = 10;
inline constexpr int kSymbolRows = 15;

// Entry 10 * row + column fills that cell of the grid (Shift-JIS, one character each).
const std::array<std::string_view, kSymbolColumns * kSymbolRows>& symbol_table();

// What each page offers to pick, in grid order (ten to a row): the table above, the half-width
// signs, the pictographs.
std::span<const std::string_view> symbol_page_entries(SymbolPage page);

// The page names "全角記号", "半角記号", "絵文字" (Shift-JIS).
std::string_view symbol_page_name(SymbolPage page);

// Inserts a picked symbol at the insertion point as confirmed text (symbol mode only).
void insert_symbol(Engine& engine, std::string_view symbol);

}  // namespace lumeta

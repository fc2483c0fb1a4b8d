#include "symbols.h"

#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(SymbolPages, TheirEntriesAreSingleShiftJisCharacters) {
  EXPECT_EQ(symbol_page_entries(1).size(), 150u);
  EXPECT_EQ(symbol_page_entries(2).size(), 40u);
  EXPECT_GE(symbol_page_entries(3).size(), 90u);
  EXPECT_TRUE(symbol_page_entries(4).empty());
  for (int page = 1; page <= 3; ++page) {
    for (std::string_view entry : symbol_page_entries(page)) {
      EXPECT_TRUE(sjis::is_valid(entry)) << page;
      EXPECT_EQ(sjis::count_chars(entry), 1u) << u8(entry);
    }
  }
  const auto& table = symbol_table();
  EXPECT_EQ(table[0], "○");
  EXPECT_EQ(table[42], "√");
  EXPECT_EQ(table[43], "√");
  EXPECT_EQ(table[58], "　");
  EXPECT_EQ(table[61], "、");
  EXPECT_EQ(table[149], "★");
  EXPECT_EQ(symbol_page_entries(2)[0], "!");
  EXPECT_EQ(symbol_page_entries(3)[0], "①");
  // Row 1 of the full-width set in code order after the three spaces.
  for (int i = 62; i < 150; ++i) {
    const auto code = [](std::string_view s) {
      return (static_cast<unsigned char>(s[0]) << 8) | static_cast<unsigned char>(s[1]);
    };
    EXPECT_LT(code(table[i - 1]), code(table[i])) << i;
  }
}

TEST(SymbolPicker, InsertsAtTheInsertionPointAsConfirmedText) {
  Lumeta t;
  t.keys("A I RET LEFT MODE MODE");  // あ|い, symbol mode
  ASSERT_EQ(t.engine.input_mode, InputMode::symbol);
  t.keypad.pick_symbol(1, 0);
  EXPECT_EQ(t.text(), "あ○い");
  EXPECT_EQ(t.engine.front_fixed, "あ○");
  EXPECT_EQ(t.caret(), 4);
  EXPECT_TRUE(t.view.segments().empty());
  t.keypad.pick_symbol(2, 23);  // the backslash sign, one byte
  EXPECT_EQ(t.text(), "あ○\\い");
  t.keypad.pick_symbol(3, 9999);  // no such cell
  EXPECT_EQ(t.text(), "あ○\\い");
  t.keys("RET K A");  // the centre key still leaves symbol mode
  EXPECT_EQ(t.text(), "あ○\\かい");
}

TEST(SymbolPicker, OnlyInSymbolMode) {
  Lumeta t;
  t.keypad.pick_symbol(1, 0);
  EXPECT_EQ(t.text(), "");
}

}  // namespace
}  // namespace lumeta::testing

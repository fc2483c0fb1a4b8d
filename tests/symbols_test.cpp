#include "symbols.h"

#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(SymbolPages, TheirEntriesAreSingleShiftJisCharacters) {
  EXPECT_EQ(symbol_page_entries(SymbolPage::full_width).size(), 150u);
  EXPECT_EQ(symbol_page_entries(SymbolPage::half_width).size(), 40u);
  EXPECT_GE(symbol_page_entries(SymbolPage::pictographs).size(), 90u);
  EXPECT_TRUE(symbol_page_entries(static_cast<SymbolPage>(kSymbolPageCount + 1)).empty());
  for (const SymbolPage page :
       {SymbolPage::full_width, SymbolPage::half_width, SymbolPage::pictographs}) {
    for (std::string_view entry : symbol_page_entries(page)) {
      EXPECT_TRUE(sjis::is_valid(entry)) << static_cast<int>(page);
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
  EXPECT_EQ(symbol_page_entries(SymbolPage::half_width)[0], "!");
  EXPECT_EQ(symbol_page_entries(SymbolPage::pictographs)[0], "①");
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
  ASSERT_EQ(t.engine.state().input_mode, InputMode::symbol);
  t.keypad.pick_symbol(SymbolPage::full_width, 0);
  EXPECT_EQ(t.text(), "あ○い");
  EXPECT_EQ(t.engine.state().front_fixed, "あ○");
  EXPECT_EQ(t.caret(), 4);
  EXPECT_TRUE(t.view.segments().empty());
  t.keypad.pick_symbol(SymbolPage::half_width, 23);  // the backslash sign, one byte
  EXPECT_EQ(t.text(), "あ○\\い");
  t.keypad.pick_symbol(SymbolPage::pictographs, 9999);  // no such cell
  EXPECT_EQ(t.text(), "あ○\\い");
  t.keys("RET K A");  // the centre key still leaves symbol mode
  EXPECT_EQ(t.text(), "あ○\\かい");
}

TEST(SymbolPicker, OnlyInSymbolMode) {
  Lumeta t;
  t.keypad.pick_symbol(SymbolPage::full_width, 0);
  EXPECT_EQ(t.text(), "");
}

}  // namespace
}  // namespace lumeta::testing

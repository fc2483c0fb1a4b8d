#include <gtest/gtest.h>

#include <vector>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

using I = Indicator;

std::vector<Indicator> lit(const Lumeta& t) {
  std::vector<Indicator> on;
  for (int i = 0; i < kIndicatorCount; ++i) {
    if (t.lit(static_cast<Indicator>(i))) on.push_back(static_cast<Indicator>(i));
  }
  return on;
}

using Lit = std::vector<Indicator>;

TEST(Modes, StartState) {
  Lumeta t;
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  EXPECT_EQ(t.engine.state().capitals, 1);
  EXPECT_EQ(lit(t), (Lit{I::full_width, I::romaji, I::capital}));
  EXPECT_EQ(t.label(), "1行0列");  // the design caption until the first update
  EXPECT_EQ(t.engine.state().goal_column, -1);
  EXPECT_EQ(t.view.face(key::K), letter_face(key::K, InputMode::romaji, true));
  EXPECT_EQ(t.view.face(key::centre), centre_face(KeyCaption::confirm, false));
  EXPECT_EQ(t.view.face(key::caps), case_face(false));
}

TEST(Modes, ModeKeyCyclesRomajiAlphabetSymbol) {
  Lumeta t;
  t.keys("MODE");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::half_alphabet);
  EXPECT_EQ(lit(t), (Lit{I::half_width, I::alphabet, I::capital}));
  EXPECT_EQ(t.view.face(key::centre), centre_face(KeyCaption::line_break, false));
  EXPECT_EQ(t.view.face(key::A), letter_face(key::A, InputMode::half_alphabet, true));
  t.keys("MODE");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::symbol);
  EXPECT_EQ(lit(t), (Lit{I::symbol}));
  EXPECT_TRUE(t.view.symbol_picker_visible());
  EXPECT_EQ(t.view.grid_fills(), 1);
  EXPECT_TRUE(t.view.face(key::U).blank());
  t.keys("MODE");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  EXPECT_FALSE(t.view.symbol_picker_visible());
}

TEST(Modes, CaseKeyInRomajiStepsThroughFullWidthDigits) {
  Lumeta t;
  t.keys("CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::full_number);
  EXPECT_EQ(lit(t), (Lit{I::full_width, I::number}));
  EXPECT_EQ(t.view.face(key::I), letter_face(key::I, InputMode::full_number, false));
  t.keys("CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  EXPECT_EQ(lit(t), (Lit{I::full_width, I::romaji, I::small}));
  t.keys("CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  EXPECT_EQ(lit(t), (Lit{I::full_width, I::romaji, I::capital}));
  t.keys("CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::full_number);
}

TEST(Modes, CaseKeyInHalfWidthStepsCapitalsDigitsSmall) {
  Lumeta t;
  t.keys("MODE CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::half_number);
  EXPECT_EQ(lit(t), (Lit{I::half_width, I::number}));
  t.keys("CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::half_alphabet);
  EXPECT_EQ(lit(t), (Lit{I::half_width, I::alphabet, I::small}));
  t.keys("CAPS");
  EXPECT_EQ(lit(t), (Lit{I::half_width, I::alphabet, I::capital}));
  t.keys("CAPS MODE");  // digits, then back to the alphabet with the case unchanged
  EXPECT_EQ(t.engine.state().input_mode, InputMode::half_alphabet);
}

TEST(Modes, FullWidthNumberReturnsWhereItCameFrom) {
  Lumeta t;
  t.keys("CAPS MODE");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  Lumeta full;
  full.engine.change_mode(InputMode::full_alphabet);
  EXPECT_EQ(lit(full), (Lit{I::full_width, I::alphabet, I::capital}));
  full.keys("CAPS");  // capitals: small letters, the mode stays
  EXPECT_EQ(full.engine.state().input_mode, InputMode::full_alphabet);
  EXPECT_EQ(full.engine.state().capitals, 0);
  EXPECT_EQ(full.view.indicator(I::capital), IndicatorLook::white);
  EXPECT_TRUE(full.view.face(key::centre).blank());
  EXPECT_EQ(full.view.face(key::K), letter_face(key::K, InputMode::full_alphabet, false));
  full.keys("CAPS");
  EXPECT_EQ(full.engine.state().input_mode, InputMode::full_number);
  full.keys("MODE");
  EXPECT_EQ(full.engine.state().input_mode, InputMode::full_alphabet);
  full.keys("MODE");  // the mode key has nothing to do in full-width alphabet mode
  EXPECT_EQ(full.engine.state().input_mode, InputMode::full_alphabet);
}

TEST(Modes, CentreKeyCaptionFollowsTheMode) {
  // 改行 where the centre key only breaks lines, 決定 where it confirms or leaves a mode.
  struct Case {
    const char* keys;
    std::string_view caption;
  };
  for (const Case& c : {Case{"", "決定"}, Case{"MODE", "改行"}, Case{"MODE CAPS", "決定"},
                        Case{"CAPS", "決定"}, Case{"MODE MODE", "決定"}}) {
    Lumeta t;
    t.keys(c.keys);
    const Face face = t.view.face(key::centre);
    ASSERT_EQ(face.count, 1) << c.keys;
    EXPECT_EQ(face.marks[0].text, c.caption) << c.keys;
  }
  Lumeta full;
  full.engine.change_mode(InputMode::full_alphabet);
  EXPECT_EQ(full.view.face(key::centre).marks[0].text, "改行");
}

TEST(Modes, FullWidthAlphabetStartsWithCapitals) {
  Lumeta t;
  t.keys("CAPS CAPS");  // romaji with small letters
  ASSERT_EQ(t.engine.state().capitals, 0);
  t.engine.change_mode(InputMode::full_alphabet);
  EXPECT_EQ(t.engine.state().capitals, 1);
  EXPECT_EQ(lit(t), (Lit{I::full_width, I::alphabet, I::capital}));
  EXPECT_EQ(t.view.face(key::K).marks[0].text, "K");
  t.keys("K");
  EXPECT_EQ(t.text(), "Ｋ");
}

TEST(Modes, SwitchingConfirmsWhatIsShown) {
  Lumeta t;
  t.keys("K A I DOWN MODE");
  EXPECT_EQ(t.engine.state().front_fixed, "回");
  EXPECT_EQ(t.engine.state().kana_text, "");
  Lumeta reading;
  reading.keys("K A CAPS");
  EXPECT_EQ(reading.engine.state().front_fixed, "か");
  EXPECT_EQ(reading.text(), "か");
  Lumeta next;  // the next reading's candidates start from the first again
  next.keys("K A I DOWN DOWN MODE MODE MODE A I DOWN");
  EXPECT_EQ(next.text(), "会愛");
}

TEST(Modes, CaseKeyInSymbolModeChangesNothing) {
  Lumeta t;
  t.keys("MODE MODE CAPS");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::symbol);
  EXPECT_TRUE(t.view.symbol_picker_visible());
}

TEST(Modes, NoKeySequenceReachesFullWidthAlphabet) {
  // Breadth-first over mode and case states reached by the two keys.
  std::vector<std::string> frontier = {""};
  for (int depth = 0; depth < 8; ++depth) {
    std::vector<std::string> next;
    for (const std::string& path : frontier) {
      for (const char* key : {" MODE", " CAPS"}) {
        Lumeta t;
        t.keys(path + key);
        ASSERT_NE(t.engine.state().input_mode, InputMode::full_alphabet) << path + key;
        next.push_back(path + key);
      }
    }
    frontier = std::move(next);
  }
}

TEST(SymbolMode, PagesStepAndTheCentreKeyLeaves) {
  Lumeta t;
  t.keys("MODE MODE DOWN DOWN DOWN");
  EXPECT_EQ(t.engine.state().symbol_page, SymbolPage::full_width);
  t.keys("UP");
  EXPECT_EQ(t.engine.state().symbol_page, SymbolPage::pictographs);
  EXPECT_EQ(t.view.page_highlight(), SymbolPage::pictographs);
  t.keys("BS LEFT RIGHT A");
  EXPECT_EQ(t.text(), "");
  t.keys("RET");
  EXPECT_EQ(t.engine.state().input_mode, InputMode::romaji);
  EXPECT_EQ(t.engine.state().symbol_page, SymbolPage::full_width);
  EXPECT_FALSE(t.view.symbol_picker_visible());
  t.keys("MODE MODE");  // shown again: the highlight matches the page
  EXPECT_EQ(t.view.page_highlight(), SymbolPage::full_width);
  EXPECT_EQ(t.view.grid_fills(), 2);
}

}  // namespace
}  // namespace lumeta::testing

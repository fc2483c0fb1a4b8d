#include "keypad.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "lumeta_fixture.h"
#include "symbols.h"
#include "text_helpers.h"

namespace lumeta::testing {
namespace {

// The texts of the marks a face shows lit, lime green.
std::string lit_marks(const Face& face) {
  std::string lit;
  for (int i = 0; i < face.count; ++i) {
    if (face.marks[i].colour == kLime) lit += face.marks[i].text;
  }
  return lit;
}

// The mark that stands for the character `typed` on a letter key's face: the half-width
// letter for a full-width one, the large kana for a small one, □ for a space.
std::string mark_for(std::string_view typed) {
  static const std::pair<std::string_view, std::string_view> kSmall[] = {
      {"ぁ", "あ"}, {"ぃ", "い"}, {"ぅ", "う"}, {"ぇ", "え"}, {"ぉ", "お"}};
  for (const auto& [small, large] : kSmall) {
    if (typed == small) return std::string(large);
  }
  if (typed == "　" || typed == " ") return "□";
  const std::string half = text::full_width_char_to_half(typed);
  if (half.size() == 1 && std::isalpha(static_cast<unsigned char>(half[0]))) return half;
  return std::string(typed);
}

TEST(KeyList, OneEntryPerKeyWithItsKeyboardKey) {
  std::set<int> numbers;
  std::set<std::string_view> tokens;
  for (const KeyInfo& key : key_list()) {
    EXPECT_TRUE(numbers.insert(key.number).second);
    EXPECT_TRUE(tokens.insert(key.token).second);
    EXPECT_EQ(key.operation == nullptr, key.kind == KeyKind::window);
  }
  EXPECT_EQ(find_key_by_keyboard('A')->number, key::A);
  EXPECT_EQ(find_key_by_keyboard('P')->number, key::caps);
  EXPECT_EQ(find_key_by_keyboard(keyboard::control)->number, key::mode);
  EXPECT_EQ(find_key_by_keyboard(keyboard::backspace)->number, key::clear);
  EXPECT_EQ(find_key_by_keyboard(keyboard::down)->number, key::down);
  EXPECT_EQ(find_key_by_keyboard(keyboard::keypad_enter)->number, key::centre);
  EXPECT_EQ(find_key_by_keyboard('V'), nullptr);
  EXPECT_EQ(find_key_by_keyboard('1'), nullptr);
  EXPECT_EQ(find_key(17), nullptr);  // no key between clear (16) and centre (18)
}

TEST(LetterFaces, PressLightsTheMarkOfTheCharacterReached) {
  // Every letter key, tapped again and again, in romaji and alphabet modes and both cases: the
  // face lights the mark of what the tap has just put on display, and the release puts it out.
  for (const char* setup : {"", "CAPS CAPS", "MODE", "MODE CAPS CAPS"}) {
    for (int letter = key::first_letter; letter <= key::last_letter; ++letter) {
      Lumeta t;
      t.keys(setup);
      const bool romaji = t.engine.state().input_mode == InputMode::romaji;
      for (int taps = 1; taps <= 7; ++taps) {
        t.keypad.press(letter);
        const std::string reached =
            romaji ? t.engine.state().romaji_text
                   : std::string(t.text().substr(t.engine.state().front_fixed.size()));
        EXPECT_EQ(lit_marks(t.view.face(letter)), mark_for(reached))
            << setup << " key " << letter << " tap " << taps << " " << u8(reached);
        t.keypad.release(letter);
        EXPECT_EQ(lit_marks(t.view.face(letter)), "") << setup << " key " << letter;
      }
    }
  }
}

TEST(LetterFaces, VowelKeyLightsItsLetterAfterASyllable) {
  Lumeta t;
  t.keys("K");
  t.keypad.press(key::A);  // completes か and the counts start over: the letter is lit
  EXPECT_EQ(t.engine.state().kana_text, "か");
  EXPECT_EQ(lit_marks(t.view.face(key::A)), "A");
  t.keypad.release(key::A);
  t.keypad.press(key::A);  // あ
  EXPECT_EQ(lit_marks(t.view.face(key::A)), "あ");
}

TEST(LetterFaces, NumberModesKeepTheirColouredMarks) {
  Lumeta t;
  t.keys("CAPS");
  t.keypad.press(key::A);
  EXPECT_EQ(t.view.face(key::A).marks[0].colour, kBlue);
  t.keypad.press(key::H);
  EXPECT_EQ(t.view.face(key::H).marks[0].colour, kRed);
  t.keypad.press(key::K);
  EXPECT_TRUE(t.view.face(key::K).blank());
  t.keypad.press(key::S);
  EXPECT_EQ(t.view.face(key::S).marks[0].text, "2");
  EXPECT_EQ(t.view.face(key::S).marks[0].colour, kLime);
}

TEST(LetterFaces, CaseFlagPicksTheForms) {
  EXPECT_EQ(letter_face(key::Y, InputMode::romaji, false).marks[0].text, "y");
  EXPECT_EQ(letter_face(key::Y, InputMode::romaji, true).marks[0].text, "Y");
  EXPECT_EQ(letter_face(key::Y, InputMode::romaji, false).marks[1].text, "っ");
}

TEST(LetterFaces, SymbolModeBlanksAllFifteen) {
  Lumeta t;
  t.keys("MODE MODE");
  t.keypad.press(key::I);
  for (int k = key::first_letter; k <= key::last_letter; ++k)
    EXPECT_TRUE(t.view.face(k).blank()) << k;
}

TEST(CaptionKeys, GreenWhileHeld) {
  Lumeta t;
  t.keypad.press(key::clear);
  EXPECT_TRUE(t.view.caption_held(key::clear));
  t.keypad.release(key::clear);
  EXPECT_FALSE(t.view.caption_held(key::clear));
}

TEST(CentreKey, FacesThroughPressAndRelease) {
  Lumeta t;
  t.keys("MODE");
  EXPECT_EQ(t.view.face(key::centre),
            centre_face(KeyCaption::line_break, false));  // 改行 in the alphabet modes
  t.keypad.press(key::centre);
  EXPECT_EQ(t.view.face(key::centre), centre_face(KeyCaption::confirm, true));
  t.keypad.release(key::centre);
  EXPECT_EQ(t.view.face(key::centre), centre_face(KeyCaption::confirm, false));
}

TEST(CaseKey, FaceGreenWhileHeld) {
  Lumeta t;
  t.keypad.press(key::caps);
  EXPECT_EQ(t.view.face(key::caps), case_face(true));
  t.keypad.release(key::caps);
  EXPECT_EQ(t.view.face(key::caps), case_face(false));
}

TEST(Release, RedividesOnlyWhenNoReadingIsPending) {
  Lumeta t;
  t.keys("A I U LEFT");  // a reading: the release leaves it alone
  EXPECT_EQ(t.engine.state().kana_after_caret, "う");
  EXPECT_EQ(t.engine.state().front_text, "あいう");
  Lumeta digits;
  digits.keys("CAPS I S BS");  // the clear key leaves pending digits alone
  EXPECT_EQ(digits.engine.state().full_width_digits, "１");
}

TEST(DeleteAll, EmptiesEverythingOnThePress) {
  Lumeta t;
  t.keys("A RET K A I DOWN");
  t.keypad.press(key::delete_all);
  EXPECT_EQ(t.text(), "");
  EXPECT_EQ(t.engine.state().front_fixed, "");
  EXPECT_EQ(t.engine.state().kana_text, "");
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  EXPECT_EQ(t.engine.state().candidate_index, 0);
  EXPECT_EQ(t.label(), "1行 0列");
  Lumeta digits;
  digits.keys("CAPS I DOWN DELALL");
  EXPECT_EQ(digits.text(), "");
  EXPECT_EQ(digits.engine.state().kana_text, "");
  EXPECT_EQ(digits.engine.state().half_width_shown, 0);
}

TEST(IdlePass, RefreshesTheLabelForAMovedCaret) {
  Lumeta t;
  t.keys("A I U RET");
  t.view.set_caret(2);  // the display's caret moved without a key
  EXPECT_EQ(t.label(), "1行 6列");
  t.keypad.idle();
  EXPECT_EQ(t.label(), "1行 2列");
  EXPECT_EQ(t.keypad.last_caret(), 2);
  EXPECT_EQ(t.engine.state().goal_column, 6);  // the idle pass leaves the goal column alone
  t.keypad.place_caret(3);                     // inside い: before it
  EXPECT_EQ(t.caret(), 2);
  t.keypad.place_caret(1000);
  EXPECT_EQ(t.caret(), 6);
  EXPECT_EQ(t.engine.state().goal_column, 6);
}

TEST(PlaceCaret, SetsTheColumnTheVerticalArrowsKeep) {
  Lumeta t;
  t.keys("A I U RET RET RET I U E RET");  // あいう, an empty line, いうえ
  t.keys("CARET:2 DOWN DOWN");
  EXPECT_EQ(t.label(), "3行 2列");
  EXPECT_EQ(t.caret(), 12);
}

TEST(UndoDeleteAll, BringsBackTheTextWithTheCaretAtTheEnd) {
  Lumeta t;
  t.keys("A I U RET LEFT");
  ASSERT_EQ(t.caret(), 4);
  EXPECT_FALSE(t.engine.can_undo_delete_all());
  t.keys("DELALL");
  EXPECT_TRUE(t.engine.can_undo_delete_all());
  t.keys("DELALL");  // a second press on the empty text keeps what can be brought back
  EXPECT_TRUE(t.engine.can_undo_delete_all());
  t.keys("MODE MODE MODE");
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "あいう");
  EXPECT_EQ(t.caret(), 6);
  EXPECT_EQ(t.engine.state().front_text, "あいう");
  EXPECT_EQ(t.engine.state().back_text, "");
  EXPECT_FALSE(t.engine.can_undo_delete_all());
  t.keys("K A");
  EXPECT_EQ(t.text(), "あいうか");
}

TEST(UndoDeleteAll, SurvivesTypingAndGoesInFrontOfIt) {
  Lumeta t;
  t.keys("A I RET DELALL K A RET N N RIGHT");
  EXPECT_TRUE(t.engine.can_undo_delete_all());
  t.keys("CARET:2 K");  // typed since, pending, and the caret in the middle
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "あいかＫん");
  EXPECT_EQ(t.caret(), static_cast<int>(t.text().size()));
  EXPECT_EQ(t.engine.composition_length(), 0);
  EXPECT_EQ(t.engine.state().front_fixed, t.text());
  t.keypad.undo_delete_all();  // once only
  EXPECT_EQ(t.text(), "あいかＫん");
  Lumeta next;  // the next delete-all of a text keeps that text instead
  next.keys("A DELALL I DELALL");
  next.keypad.undo_delete_all();
  EXPECT_EQ(next.text(), "い");
  Lumeta modes;  // pending full-width digits are confirmed as shown
  modes.keys("A RET DELALL CAPS I S DOWN");
  modes.keypad.undo_delete_all();
  EXPECT_EQ(modes.text(), "あ12");
  EXPECT_EQ(modes.engine.state().half_width_shown, 0);
  Lumeta kept;  // a text offered from outside, such as a kept draft
  kept.engine.keep_for_undo("下書き");
  kept.keys("A");
  kept.keypad.undo_delete_all();
  EXPECT_EQ(kept.text(), "下書きあ");
}

// Texts offered from earlier runs come back one after the other, after what a delete-all
// erased since, and a delete-all never drops them.
TEST(UndoDeleteAll, OfferedTextsComeBackOneAfterTheOther) {
  Lumeta t;
  t.engine.keep_for_undo("あいう");
  t.engine.keep_for_undo("かき");
  t.keys("E DELALL");  // え erased: it comes back first
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "え");
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "あいうえ");
  EXPECT_EQ(t.engine.offered_for_undo().size(), 1u);
  t.keypad.undo_delete_all();
  EXPECT_EQ(t.text(), "かきあいうえ");
  EXPECT_FALSE(t.engine.can_undo_delete_all());
  Lumeta full;  // one that would pass the limit is refused and stays offered
  std::string million;
  for (std::size_t i = 0; i < kMaxDisplayChars; ++i)
    million += "あ";
  full.engine.keep_for_undo(std::move(million));
  full.keys("A");
  full.keypad.undo_delete_all();
  EXPECT_EQ(full.text(), "あ");
  EXPECT_TRUE(full.engine.can_undo_delete_all());
}

TEST(UndoDeleteAll, PendingTextComesBackConfirmed) {
  Lumeta pending;
  pending.keys("K A I DOWN DELALL");  // what was on display comes back, confirmed
  pending.keypad.undo_delete_all();
  EXPECT_EQ(pending.text(), "回");
  EXPECT_EQ(pending.engine.state().front_fixed, "回");
  EXPECT_EQ(pending.engine.state().kana_text, "");
}

TEST(PickSymbol, OnlyACellOfTheDialogOnScreen) {
  Lumeta t;
  t.keys("MODE MODE");
  t.view.hide_symbol_picker();  // Ctrl closed it; the mode stays
  t.keypad.pick_symbol(SymbolPage::full_width, 0);
  EXPECT_EQ(t.text(), "");
  t.view.show_symbol_picker();
  t.keypad.pick_symbol(SymbolPage::full_width, 0);
  EXPECT_EQ(t.text(), "○");
  t.keypad.pick_symbol(SymbolPage::full_width, -1);
  t.keypad.pick_symbol(SymbolPage::full_width,
                       static_cast<int>(symbol_page_entries(SymbolPage::full_width).size()));
  EXPECT_EQ(t.text(), "○");
}

TEST(CopyText, TheWholeTextWithLoneLineFeeds) {
  Lumeta t;
  t.keys("A RET RET I RET RET K A LEFT");
  EXPECT_EQ(t.text(), "あ\r\nい\r\nか");
  EXPECT_EQ(t.keypad.copy_text(), "あ\nい\nか");  // the caret and the pending か count too
  EXPECT_EQ(t.text(), "あ\r\nい\r\nか");
}

TEST(Send, ConfirmsAsShownAndTheDeliveredPartLeavesAsAfterDeleteAll) {
  // All of it arrives: the text empties, and 元に戻す brings it back.
  Lumeta all;
  all.keys("A RET RET K A I DOWN");  // あ, a line break, then 回 still on display
  EXPECT_EQ(all.keypad.begin_send(), "あ\n回");
  EXPECT_EQ(all.engine.composition_length(), 0);  // confirmed exactly as shown
  all.keypad.sent(3);
  EXPECT_EQ(all.text(), "");
  all.keypad.undo_delete_all();
  EXPECT_EQ(all.text(), "あ\r\n回");

  // Stopped after two characters (the line break counts one): exactly the rest stays, with the
  // caret at its end, and 元に戻す puts the sent part back in front of it.
  Lumeta part;
  part.keys("A RET RET I U LEFT LEFT");
  ASSERT_EQ(part.keypad.begin_send(), "あ\nいう");
  part.keypad.sent(2);
  EXPECT_EQ(part.text(), "いう");
  EXPECT_EQ(part.caret(), 4);
  part.keys("K A");
  EXPECT_EQ(part.text(), "いうか");
  part.keypad.undo_delete_all();
  EXPECT_EQ(part.text(), "あ\r\nいうか");

  // Nothing arrived: the text stays, confirmed, and what 元に戻す would bring back is kept.
  Lumeta none;
  none.keys("A DELALL K A");
  none.keypad.begin_send();
  none.keypad.sent(0);
  EXPECT_EQ(none.text(), "か");
  none.keypad.undo_delete_all();
  EXPECT_EQ(none.text(), "あか");
}

}  // namespace
}  // namespace lumeta::testing

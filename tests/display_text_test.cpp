#include "display_text.h"

#include <gtest/gtest.h>

#include <random>

#include "sjis.h"

namespace lumeta {
namespace {

TEST(DisplayText, ReportsTheChangedMiddleOnWholeCharacters) {
  TextChange change = minimal_change("", "あいう");
  EXPECT_EQ(change.start, 0);
  EXPECT_EQ(change.inserted, 6);

  change = minimal_change("あいう", "あソう");  // い 82A2 and ソ 835C share their first byte
  EXPECT_EQ(change.start, 2);
  EXPECT_EQ(change.removed, 2);
  EXPECT_EQ(change.inserted, 2);

  change = minimal_change("あソう", "あソう\r\n");
  EXPECT_EQ(change.start, 6);
  EXPECT_EQ(change.inserted, 2);
}

// The engine's text against plain strings: random edits of front_text, front_fixed and
// back_text as the keys make them, each refresh's change applied to a copy the way a display
// applies it, and now and then a trial taken back.
TEST(DisplayText, FollowsRandomEditsAndReportsEachChange) {
  const std::string pieces[] = {"a", "あ", "ソ", "ん", "＝", "\r\n", "1", "ｱ", "表"};
  std::mt19937 random(7);
  DisplayText text;
  std::string front, back, fixed;  // the model
  std::string shown;               // what a display holds
  uint64_t version = 0;
  for (int i = 0; i < 20000; ++i) {
    const bool trial = random() % 8 == 0;
    const std::string front0 = front, back0 = back, fixed0 = fixed;
    if (trial) text.begin_trial();
    for (int edits = random() % 4; edits >= 0; --edits) {
      const std::string piece = pieces[random() % std::size(pieces)];
      switch (random() % 9) {
        case 0:
          text.append_front(piece), front += piece;
          break;
        case 1:
          text.drop_last_front_char();
          front =
              front.size() < 2 ? "" : front.substr(0, sjis::previous_boundary(front, front.size()));
          break;
        case 2:
          text.fix_front(), fixed = front;
          break;
        case 3:
          text.front_from_fixed(), front = fixed;
          break;
        case 4:
          text.front_from_fixed(), front = fixed;
          text.append_front(piece), front += piece;
          break;
        case 5: {
          const std::size_t at = sjis::floor_boundary(front, random() % (front.size() + 1));
          text.truncate_front(at), front.resize(at);
          break;
        }
        case 6: {
          const std::string whole = front + back;
          const std::size_t at = sjis::floor_boundary(whole, random() % (whole.size() + 1));
          text.divide_at(at);
          front = whole.substr(0, at), back = whole.substr(at);
          break;
        }
        case 7:
          if (random() % 4 == 0)
            text.assign_back(piece + back), back = piece + back;
          else
            text.drop_last_fixed_char(),
                fixed = fixed.size() < 2
                            ? ""
                            : fixed.substr(0, sjis::previous_boundary(fixed, fixed.size()));
          break;
        case 8:
          if (random() % 8 == 0) text.assign_back(""), back.clear();
          break;
      }
      ASSERT_EQ(text.front(), front) << i;
      ASSERT_EQ(text.back(), back) << i;
      ASSERT_EQ(text.fixed(), fixed) << i;
    }
    if (trial && random() % 2) {
      text.take_back();
      front = front0, back = back0, fixed = fixed0;
    }
    if (trial) text.end_trial();
    const std::string whole = front + back;
    ASSERT_EQ(text.text(), whole);
    ASSERT_EQ(text.chars(), sjis::count_chars(whole)) << i;
    ASSERT_EQ(text.fixed(), fixed);
    std::string inserted;
    const TextChange change = text.take_change(inserted);
    ASSERT_EQ(static_cast<int>(inserted.size()), change.inserted);
    ASSERT_TRUE(sjis::is_boundary(whole, change.start));
    const bool changed = shown != whole;
    shown.replace(change.start, change.removed, inserted);
    ASSERT_EQ(shown, whole) << i;
    version += changed;
    ASSERT_EQ(text.version(), version);
  }
}

TEST(DisplayText, FrontFixedOutlivesACutOfFrontText) {
  DisplayText text;
  text.append_front("あいう");
  text.fix_front();
  text.truncate_front(2);  // front_text "あ", front_fixed still "あいう"
  EXPECT_EQ(text.fixed(), "あいう");
  text.front_from_fixed();
  EXPECT_EQ(text.front(), "あいう");
  EXPECT_TRUE(text.fixed_is_front());
}

TEST(GapBuffer, JournalKnowsWhatARunOfEditsReplaced) {
  GapBuffer buffer;
  buffer.replace(0, 0, "0123456789");
  EditJournal journal;
  buffer.attach(&journal);
  buffer.replace(8, 8, "ab");  // 01234567ab89
  buffer.replace(2, 4, "");    // 014567ab89
  buffer.replace(1, 1, "xy");  // 0xy14567ab89
  EXPECT_EQ(buffer.all(), "0xy14567ab89");
  ASSERT_TRUE(journal.active);
  EXPECT_EQ(journal.start, 1u);
  EXPECT_EQ(journal.keep, 2u);
  EXPECT_EQ(journal.old_bytes, "1234567");
  // Inserting a piece of the buffer into itself.
  buffer.replace(0, 0, buffer.view(3, 6));
  EXPECT_EQ(buffer.all(), "1450xy14567ab89");
}

}  // namespace
}  // namespace lumeta

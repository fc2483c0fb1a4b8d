// The strip's pages: predictions first and only on the first page, never crowding out the
// reading's first candidates; labels measured by their characters.
#include "candidate_strip_layout.h"

#include <gtest/gtest.h>

namespace lumeta::testing {
namespace {

CandidateStrip strip_of(int predictions, int candidates, const std::string& word = "漢字") {
  CandidateStrip strip;
  strip.active = true;
  for (int i = 0; i < predictions; ++i)
    strip.predictions.push_back({"かんじ", word + std::to_string(i), false});
  for (int i = 0; i < candidates; ++i)
    strip.candidates.push_back(word);
  return strip;
}

TEST(StripLayout, PredictionsLeadTheFirstPageAndLeaveRoomForCandidates) {
  const StripGeometry g;
  // "漢字0": two full-width characters and a digit.
  EXPECT_EQ(label_width("漢字0", g), 5 * g.em / 2 + 2 * g.padding);
  EXPECT_EQ(label_width("12 漢字", g), 7 * g.em / 2 + 2 * g.padding);

  const auto pages = lay_out_strip(strip_of(3, 20));
  ASSERT_GE(pages.size(), 2u);
  EXPECT_TRUE(pages[0][0].prediction);
  EXPECT_EQ(pages[0][0].index, 1);
  EXPECT_TRUE(pages[0][2].prediction);
  EXPECT_FALSE(pages[0][3].prediction);
  EXPECT_EQ(pages[0][3].index, 1);
  for (std::size_t p = 1; p < pages.size(); ++p) {
    for (const StripItem& item : pages[p])
      EXPECT_FALSE(item.prediction);
  }
  // Every item inside the band, on its rows, none overlapping the next.
  for (const auto& page : pages) {
    for (std::size_t i = 0; i < page.size(); ++i) {
      EXPECT_LE(page[i].left + page[i].width, g.width);
      EXPECT_LT(page[i].top, g.rows * g.row_height);
      if (i + 1 < page.size() && page[i + 1].top == page[i].top) {
        EXPECT_LT(page[i].left + page[i].width, page[i + 1].left);
      }
    }
  }

  // Long predictions: as many as leave room for the first three candidates.
  const CandidateStrip crowded = strip_of(8, 10, "画像処理装置");
  const auto first = lay_out_strip(crowded).front();
  const auto candidates =
      std::count_if(first.begin(), first.end(), [](const StripItem& i) { return !i.prediction; });
  EXPECT_GE(candidates, kCandidatesKept);
  const CandidateStrip offered = offered_strip(crowded);
  EXPECT_LT(offered.predictions.size(), 8u);
  EXPECT_EQ(static_cast<long>(offered.predictions.size()) + candidates,
            static_cast<long>(first.size()));

  // With fewer candidates than that, the predictions may use the rest of the page.
  EXPECT_EQ(offered_strip(strip_of(8, 0)).predictions.size(), 8u);
}

}  // namespace
}  // namespace lumeta::testing

// Where the candidate strip puts its labels, free of Qt so that the window, the replay and the
// tests agree on what the strip's first page offers.
//
// Before any ↓ the first page shows the predictions (unnumbered: 画像 画素 …), then the
// reading's own candidates, numbered as ↓ reaches them ("1 蛾", "2 我", …); after a ↓ it shows
// the candidates alone. The labels fill rows left to right; a page holds `rows` rows. The
// predictions only ever stand on the first page, and only as many as leave room there for the
// first kCandidatesKept candidates; the rest are not offered.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"

namespace lumeta {

// The band's measures in pixels. A label is its text (a full-width character `em` wide, a
// one-byte character half that) with `padding` on each side.
struct StripGeometry {
  int width = 338;  // the band less the page arrows
  int rows = 2;
  int row_height = 32;
  int em = 18;
  int padding = 5;
  int gap = 3;
};

inline constexpr int kCandidatesKept = 3;

struct StripItem {
  bool prediction;  // a prediction, or a candidate
  int index;        // from 1: the prediction's place, or the candidate's ↓ number
  int left, top, width, height;
};

// The label drawn for an item: the spelling of a prediction, "2 我" for a candidate (Shift-JIS).
std::string strip_label(const CandidateStrip& strip, bool prediction, int index);

// Width of a Shift-JIS label with its padding: "2 我" is 2 half + 1 full character.
int label_width(std::string_view label, const StripGeometry& geometry);

// The strip's pages, each a list of items with their places.
std::vector<std::vector<StripItem>> lay_out_strip(const CandidateStrip& strip,
                                                  const StripGeometry& geometry = {});

// The strip as offered: its predictions cut to those that stand on the first page.
CandidateStrip offered_strip(CandidateStrip strip, const StripGeometry& geometry = {});

}  // namespace lumeta

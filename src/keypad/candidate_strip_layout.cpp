#include "candidate_strip_layout.h"

#include <algorithm>

#include "sjis.h"

namespace lumeta {
namespace {

std::vector<std::vector<StripItem>> fill_pages(const CandidateStrip& strip, int predictions,
                                               const StripGeometry& g) {
  std::vector<std::vector<StripItem>> pages;
  std::vector<StripItem> page;
  int x = 0, row = 0;
  const auto place = [&](bool prediction, int index) {
    const int w = std::min(label_width(strip_label(strip, prediction, index), g), g.width);
    if (x > 0 && x + w > g.width) {
      x = 0;
      if (++row == g.rows) {
        pages.push_back(std::move(page));
        page.clear();
        row = 0;
      }
    }
    page.push_back({prediction, index, x, row * g.row_height + 2, w, g.row_height - 4});
    x += w + g.gap;
  };
  for (int i = 1; i <= predictions; ++i)
    place(true, i);
  for (int i = 1; i <= static_cast<int>(strip.candidates.size()); ++i)
    place(false, i);
  if (!page.empty()) pages.push_back(std::move(page));
  return pages;
}

// How many of the first candidates stand on the first page.
int candidates_on_first_page(const std::vector<std::vector<StripItem>>& pages) {
  if (pages.empty()) return 0;
  return static_cast<int>(std::count_if(pages[0].begin(), pages[0].end(),
                                        [](const StripItem& item) { return !item.prediction; }));
}

}  // namespace

std::string strip_label(const CandidateStrip& strip, bool prediction, int index) {
  if (prediction) return strip.predictions[static_cast<std::size_t>(index - 1)].spelling;
  return std::to_string(index) + ' ' + strip.candidates[static_cast<std::size_t>(index - 1)];
}

int label_width(std::string_view label, const StripGeometry& g) {
  int half_widths = 0;
  for (std::size_t i = 0; i < label.size(); i = sjis::next_boundary(label, i))
    half_widths += sjis::next_boundary(label, i) - i == 2 ? 2 : 1;
  return half_widths * g.em / 2 + 2 * g.padding;
}

std::vector<std::vector<StripItem>> lay_out_strip(const CandidateStrip& strip,
                                                  const StripGeometry& g) {
  const int wanted = std::min<int>(kCandidatesKept, static_cast<int>(strip.candidates.size()));
  for (int n = static_cast<int>(strip.predictions.size()); n > 0; --n) {
    auto pages = fill_pages(strip, n, g);
    if (candidates_on_first_page(pages) >= wanted) return pages;
  }
  return fill_pages(strip, 0, g);
}

CandidateStrip offered_strip(CandidateStrip strip, const StripGeometry& g) {
  const auto pages = lay_out_strip(strip, g);
  const std::size_t shown = pages.empty()
                                ? 0
                                : static_cast<std::size_t>(std::count_if(
                                      pages[0].begin(), pages[0].end(),
                                      [](const StripItem& item) { return item.prediction; }));
  strip.predictions.resize(std::min(shown, strip.predictions.size()));
  return strip;
}

}  // namespace lumeta

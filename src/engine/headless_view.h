// A display without a screen: keeps what the engine shows so the replay tool, the tests and
// the benchmarks can read it back. Lines break only at CR LF (no wrapping). Edits go into the
// text where they happen, so a key costs the same on a short text and on a long one.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gap_buffer.h"
#include "view.h"

namespace lumeta {

class HeadlessView : public View {
 public:
  HeadlessView();

  void edit_text(TextChange change, std::string_view inserted) override;
  void set_segments(std::span<const Segment> segments) override;
  void set_caret(int position) override;
  int caret() const override { return caret_; }
  void set_focus() override { ++focus_count_; }
  int caret_line_start() override;
  int caret_line_number() override;
  void repaint() override {}

  void set_position_label(std::string_view caption) override { label_ = caption; }
  void key_refused() override { ++refused_count_; }
  void set_indicator(Indicator indicator, IndicatorLook look) override;

  void set_key_face(int key, const Face& face) override;
  void set_caption_held(int key, bool held) override;

  void fill_symbol_grid() override { ++grid_fills_; }
  void show_symbol_picker() override { picker_visible_ = true; }
  void hide_symbol_picker() override { picker_visible_ = false; }
  bool symbol_picker_visible() const override { return picker_visible_; }
  void set_symbol_page_highlight(SymbolPage page) override { page_highlight_ = page; }

  // What is on display.
  // The whole text in one piece.
  std::string_view text() const { return text_.all(); }
  const std::vector<Segment>& segments() const { return segments_; }
  const std::string& label() const { return label_; }
  IndicatorLook indicator(Indicator i) const { return indicators_[static_cast<int>(i)]; }
  const Face& face(int key) const { return faces_[key]; }
  bool caption_held(int key) const { return held_[key]; }
  SymbolPage page_highlight() const { return page_highlight_; }
  int grid_fills() const { return grid_fills_; }
  int focus_count() const { return focus_count_; }
  int refused_count() const { return refused_count_; }

 private:
  GapBuffer text_;
  // The positions just after each CR LF, kept in two stacks around the last edit so that an
  // edit moves only the entries between it and the one before: `before_` ascending, `after_`
  // descending and less `shift_` (the change in length since they were put there).
  class LineStarts {
   public:
    void split_at(int position);    // before_: the starts up to `position`; after_: the rest
    void drop_up_to(int position);  // drops the starts of after_ up to `position`
    void shift_after(int delta) { shift_ += delta; }
    void push_before(int start) { before_.push_back(start); }
    int count_up_to(int position) const;
    int at(int index) const;

   private:
    std::vector<int> before_;
    std::vector<int> after_;
    int shift_ = 0;
  };
  LineStarts line_starts_;
  std::vector<Segment> segments_;
  int caret_ = 0;
  int focus_count_ = 0;
  int refused_count_ = 0;
  std::string label_;
  std::array<IndicatorLook, kIndicatorCount> indicators_{};
  std::array<Face, kKeyCount + 1> faces_{};  // by key number
  std::array<bool, key::last + 1> held_{};   // by key number
  bool picker_visible_ = false;
  SymbolPage page_highlight_ = SymbolPage::full_width;
  int grid_fills_ = 0;
};

}  // namespace lumeta

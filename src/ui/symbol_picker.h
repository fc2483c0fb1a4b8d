// The symbol dialog: three page panels and the grid of the current page's symbols, beside the
// display while symbol mode is on. A click on a cell picks that symbol. Ctrl closes the dialog;
// every other key is swallowed.
#pragma once

#include <QLabel>
#include <QTableWidget>
#include <QWidget>
#include <array>

#include "engine_state.h"

namespace lumeta {

class SymbolPicker : public QWidget {
  Q_OBJECT

 public:
  explicit SymbolPicker(QWidget* parent);

  void fill_symbol_grid();  // with the current page's symbols
  void set_page_highlight(SymbolPage page);
  SymbolPage highlighted_page() const { return highlighted_; }
  QLabel* panel(SymbolPage page) const { return panels_[page_index(page)]; }
  QTableWidget* grid() const { return grid_; }
  // A pick of the cell at `row`, `column`, as a click on it makes it.
  void pick_cell(int row, int column);

 signals:
  void symbol_picked(lumeta::SymbolPage page, int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::array<QLabel*, kSymbolPageCount> panels_{};
  QTableWidget* grid_;
  SymbolPage highlighted_ = SymbolPage::full_width;
};

}  // namespace lumeta

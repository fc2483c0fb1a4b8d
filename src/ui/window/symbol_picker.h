// The symbol picker: the three page names, each clicked to turn to its page, and the grid of the
// current page's symbols, a panel
// of the main window that takes the display's place while symbol mode is on. Being part of the
// window, it stays with it on every platform: no window manager or compositor can put it behind
// the window or elsewhere, and a click on the window leaves it where it is. A click on a cell
// picks that symbol; the keys typed while it is shown go to the window, as from the display.
#pragma once

#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <array>

#include "engine_state.h"

namespace lumeta {

class SymbolPicker : public QWidget {
  Q_OBJECT

 public:
  // Laid out within `size`: the display's.
  SymbolPicker(QWidget* parent, QSize size);

  void fill_symbol_grid();  // with the current page's symbols
  void set_page_highlight(SymbolPage page);
  SymbolPage highlighted_page() const { return highlighted_; }
  // The name of page `page`, a button that turns to it.
  QPushButton* panel(SymbolPage page) const { return panels_[page_index(page)]; }
  QTableWidget* grid() const { return grid_; }
  // A pick of the cell at `row`, `column`, as a click on it makes it.
  void pick_cell(int row, int column);

 signals:
  void symbol_picked(lumeta::SymbolPage page, int index);
  void page_chosen(lumeta::SymbolPage page);

 private:
  std::array<QPushButton*, kSymbolPageCount> panels_{};
  QTableWidget* grid_;
  SymbolPage highlighted_ = SymbolPage::full_width;
};

}  // namespace lumeta

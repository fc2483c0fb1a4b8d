#include "symbol_picker.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "accessible.h"
#include "click_filter.h"
#include "qt_text.h"
#include "symbols.h"
#include "ui_font.h"

namespace lumeta {
namespace {

// A selected cell: cyan, with its symbol in black 2 pixels in from the corner.
class SymbolCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (!(option.state & QStyle::State_Selected)) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    painter->fillRect(option.rect, QColor(0, 255, 255));
    painter->setClipRect(option.rect);
    painter->setPen(Qt::black);
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data().toString());
    painter->restore();
  }
};

}  // namespace

SymbolPicker::SymbolPicker(QWidget* parent, QSize size) : QWidget(parent) {
  install_accessible_factory();
  setAccessibleName(QStringLiteral("記号モード"));
  resize(size);
  // The page names in a row along the top, the grid under them.
  constexpr int kPanelHeight = 32;
  constexpr int kGap = 4;
  const int panel_width = (size.width() - (kSymbolPageCount - 1) * kGap) / kSymbolPageCount;
  for (const SymbolPage page : kSymbolPages) {
    auto* panel = new QPushButton(to_qstring(symbol_page_name(page)), this);
    panel->setGeometry(page_index(page) * (panel_width + kGap), 0, panel_width, kPanelHeight);
    panel->setFont(ui_font(17, true));
    panel->setFocusPolicy(Qt::NoFocus);
    panel->setAccessibleName(panel->text());
    panel->setAutoFillBackground(true);
    ClickFilter::install(panel, ClickFilter::Buttons::all_as_left);
    connect(panel, &QPushButton::clicked, this, [this, page] { emit page_chosen(page); });
    panels_[page_index(page)] = panel;
  }
  grid_ = new QTableWidget(kSymbolRows, kSymbolColumns, this);
  grid_->setGeometry(0, kPanelHeight + kGap, size.width(), size.height() - kPanelHeight - kGap);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);  // the width shared
  grid_->verticalHeader()->setDefaultSectionSize(28);
  grid_->setShowGrid(true);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setFont(ui_font(20));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setFocusPolicy(Qt::NoFocus);
  grid_->setItemDelegate(new SymbolCellDelegate(grid_));
  grid_->setAccessibleName(QStringLiteral("記号の一覧"));
  name_scroll_bars(grid_, grid_->accessibleName());
  ClickFilter::install(grid_->viewport(), ClickFilter::Buttons::all_as_left);
  connect(grid_, &QTableWidget::cellClicked, this, &SymbolPicker::pick_cell);
  set_page_highlight(SymbolPage::full_width);
}

void SymbolPicker::pick_cell(int row, int column) {
  if (row < 0 || column < 0 || column >= kSymbolColumns) return;
  const int index = row * kSymbolColumns + column;
  if (index < static_cast<int>(symbol_page_entries(highlighted_).size())) {
    emit symbol_picked(highlighted_, index);
  }
}

void SymbolPicker::fill_symbol_grid() {
  const auto entries = symbol_page_entries(highlighted_);
  const int rows = static_cast<int>((entries.size() + kSymbolColumns - 1) / kSymbolColumns);
  grid_->clearContents();
  grid_->setRowCount(rows);
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    auto* item = new QTableWidgetItem(to_qstring(entries[i]));
    item->setTextAlignment(Qt::AlignCenter);
    grid_->setItem(i / kSymbolColumns, i % kSymbolColumns, item);
  }
  grid_->scrollToTop();
}

void SymbolPicker::set_page_highlight(SymbolPage page) {
  const bool turned = page != highlighted_;
  highlighted_ = page;
  if (turned || grid_->item(0, 0) == nullptr) fill_symbol_grid();
  for (const SymbolPage p : kSymbolPages) {
    QPushButton* panel = panels_[page_index(p)];
    QPalette palette = panel->palette();
    const bool on = p == page;
    palette.setColor(QPalette::Button,
                     on ? QColor(Qt::black) : this->palette().color(QPalette::Button));
    palette.setColor(QPalette::ButtonText, on ? QColor(Qt::white) : QColor(Qt::black));
    panel->setPalette(palette);
    panel->setAccessibleDescription(on ? QStringLiteral("表示中のページ")
                                       : QStringLiteral("このページに切り替える"));
  }
  grid_->setAccessibleDescription(to_qstring(symbol_page_name(page)));
}

}  // namespace lumeta

#include "accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>
#include <vector>

#include "candidate_bar.h"
#include "main_window.h"
#include "mode_status.h"
#include "qt_text.h"
#include "symbol_picker.h"
#include "symbols.h"
#include "text_display.h"
#include "text_display_accessible.h"

namespace lumeta {
namespace {

// An interface without an object of its own: a candidate of the strip or a cell of the picker.
// It reads everything from its widget when asked, so it stays right as the widget changes.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  explicit ItemAccessible(QWidget* owner) : owner_(owner) {}

  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return owner_ ? QAccessible::queryAccessibleInterface(owner_) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void doAction(const QString& action) override {
    if (action == pressAction() && isValid()) press();
  }

 protected:
  virtual void press() = 0;
  // `local` in the owner's coordinates, on the screen.
  QRect on_screen(QWidget* widget, const QRect& local) const {
    return local.isEmpty() ? QRect() : QRect(widget->mapToGlobal(local.topLeft()), local.size());
  }

  QPointer<QWidget> owner_;
};

// The children of a list or table, made when first asked for and registered with QAccessible
// so that tools can hold on to them; dropped with their parent's interface.
class Children {
 public:
  ~Children() {
    for (QAccessible::Id id : ids_) {
      if (id) QAccessible::deleteAccessibleInterface(id);
    }
  }
  template <typename Make>
  QAccessibleInterface* get(int index, Make make) const {
    if (index < 0) return nullptr;
    if (index >= static_cast<int>(ids_.size())) ids_.resize(static_cast<std::size_t>(index) + 1);
    QAccessible::Id& id = ids_[static_cast<std::size_t>(index)];
    if (!id) id = QAccessible::registerAccessibleInterface(make());
    return QAccessible::accessibleInterface(id);
  }

 private:
  mutable std::vector<QAccessible::Id> ids_;
};

// ---- The candidate strip: a list of its candidates, each pressed to pick it. ----------------

class CandidateAccessible : public ItemAccessible {
 public:
  CandidateAccessible(CandidateBar* bar, int index)
      : ItemAccessible(bar), bar_(bar), index_(index) {}

  bool isValid() const override {
    return bar_ && bar_->active() && index_ <= bar_->candidate_count();
  }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return bar_->label(index_);
    if (t == QAccessible::Description && bar_->shown() == index_) {
      return QStringLiteral("表示中");
    }
    return {};
  }
  QRect rect() const override {
    return isValid() ? on_screen(bar_, bar_->candidate_rect(index_)) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.selected = isValid() && bar_->shown() == index_;
    // Candidates on another page of the strip are not drawn.
    s.offscreen = !isValid() || bar_->candidate_rect(index_).isEmpty();
    return s;
  }

 private:
  void press() override { bar_->choose(index_); }

  QPointer<CandidateBar> bar_;
  int index_;  // from 1, as the strip numbers it
};

// A prediction of the strip: its spelling, described as a prediction; pressed, it is chosen.
class PredictionAccessible : public ItemAccessible {
 public:
  PredictionAccessible(CandidateBar* bar, int index)
      : ItemAccessible(bar), bar_(bar), index_(index) {}

  bool isValid() const override {
    return bar_ && bar_->active() && index_ <= bar_->prediction_count();
  }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return bar_->prediction_label(index_);
    if (t == QAccessible::Description) return QStringLiteral("予測");
    return {};
  }
  QRect rect() const override {
    return isValid() ? on_screen(bar_, bar_->prediction_rect(index_)) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.offscreen = !isValid() || bar_->prediction_rect(index_).isEmpty();
    return s;
  }

 private:
  void press() override { bar_->choose_prediction(index_); }

  QPointer<CandidateBar> bar_;
  int index_;  // from 1, in the strip's order
};

// The strip's children: its candidates, then its predictions.
class CandidateBarAccessible : public QAccessibleWidget {
 public:
  explicit CandidateBarAccessible(CandidateBar* bar)
      : QAccessibleWidget(bar, QAccessible::List), bar_(bar) {}

  int childCount() const override {
    return bar_->active() ? bar_->candidate_count() + bar_->prediction_count() : 0;
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    const int candidates = bar_->candidate_count();
    if (index >= candidates) {
      return predictions_.get(index - candidates, [&] {
        return new PredictionAccessible(bar_, index - candidates + 1);
      });
    }
    return children_.get(index, [&] { return new CandidateAccessible(bar_, index + 1); });
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = bar_->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < bar_->candidate_count(); ++i) {
      if (bar_->candidate_rect(i + 1).contains(at)) return child(i);
    }
    for (int i = 0; i < bar_->prediction_count(); ++i) {
      if (bar_->prediction_rect(i + 1).contains(at)) return child(bar_->candidate_count() + i);
    }
    return nullptr;
  }

 private:
  CandidateBar* bar_;
  Children children_;
  Children predictions_;
};

// ---- The symbol picker's grid: a table of its cells, each pressed to insert its symbol. -----

class SymbolGridAccessible;

class SymbolCellAccessible : public ItemAccessible, public QAccessibleTableCellInterface {
 public:
  SymbolCellAccessible(SymbolPicker* picker, QTableWidget* grid, int index)
      : ItemAccessible(grid), picker_(picker), grid_(grid), index_(index) {}

  bool isValid() const override { return picker_ && grid_ && index_ < cell_count(); }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    return spoken(
        symbol_page_entries(picker_->highlighted_page())[static_cast<std::size_t>(index_)]);
  }
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect local = grid_->visualRect(grid_->model()->index(rowIndex(), columnIndex()));
    return on_screen(grid_->viewport(), local);
  }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.selected = isSelected();
    s.offscreen = rect().isEmpty();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) {
      return static_cast<QAccessibleTableCellInterface*>(this);
    }
    return ItemAccessible::interface_cast(type);
  }

  bool isSelected() const override {
    const QTableWidgetItem* item = isValid() ? grid_->item(rowIndex(), columnIndex()) : nullptr;
    return item && item->isSelected();
  }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return index_ % kSymbolColumns; }
  int rowIndex() const override { return index_ / kSymbolColumns; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  int cell_count() const {
    return static_cast<int>(symbol_page_entries(picker_->highlighted_page()).size());
  }
  // Selected as a click selects it, then picked.
  void press() override {
    grid_->setCurrentCell(rowIndex(), columnIndex());
    picker_->pick_cell(rowIndex(), columnIndex());
  }

  QPointer<SymbolPicker> picker_;
  QPointer<QTableWidget> grid_;
  int index_;  // from 0, row by row
};

class SymbolGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  SymbolGridAccessible(SymbolPicker* picker, QTableWidget* grid)
      : QAccessibleWidget(grid, QAccessible::Table), picker_(picker), grid_(grid) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  int childCount() const override {
    return picker_ ? static_cast<int>(symbol_page_entries(picker_->highlighted_page()).size()) : 0;
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    return children_.get(index, [&] { return new SymbolCellAccessible(picker_, grid_, index); });
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (!cell || cell->table() != this) return -1;
    return cell->rowIndex() * kSymbolColumns + cell->columnIndex();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QModelIndex at = grid_->indexAt(grid_->viewport()->mapFromGlobal(QPoint(x, y)));
    return at.isValid() ? cellAt(at.row(), at.column()) : nullptr;
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (column < 0 || column >= kSymbolColumns) return nullptr;
    return child(row * kSymbolColumns + column);
  }
  int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells;
    for (const QTableWidgetItem* item : grid_->selectedItems()) {
      if (QAccessibleInterface* cell = cellAt(item->row(), item->column())) cells << cell;
    }
    return cells;
  }
  QString columnDescription(int) const override { return {}; }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return kSymbolColumns; }
  int rowCount() const override { return (childCount() + kSymbolColumns - 1) / kSymbolColumns; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  // Cells read the current page when asked, so a new page needs nothing here.
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

 private:
  QPointer<SymbolPicker> picker_;
  QTableWidget* grid_;
  Children children_;
};

// ---- Widgets that only need a role of their own. ------------------------------------------

// The main window: a frame, as a screen reader expects an application's window to be.
class FrameAccessible : public QAccessibleWidget {
 public:
  explicit FrameAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
};

// The mode status: a status bar whose name says the mode; the indicators under it, one letter
// each, are left out, as the name says all they show.
class ModeStatusAccessible : public QAccessibleWidget {
 public:
  explicit ModeStatusAccessible(QWidget* status)
      : QAccessibleWidget(status, QAccessible::StatusBar) {}
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

// The symbol picker: a panel of the window.
class PanelAccessible : public QAccessibleWidget {
 public:
  explicit PanelAccessible(QWidget* panel) : QAccessibleWidget(panel, QAccessible::Pane) {}
};

QAccessibleInterface* factory(const QString& class_name, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (class_name == QLatin1String(MainWindow::staticMetaObject.className())) {
    return new FrameAccessible(widget);
  }
  if (class_name == QLatin1String(ModeStatus::staticMetaObject.className())) {
    return new ModeStatusAccessible(widget);
  }
  if (class_name == QLatin1String(SymbolPicker::staticMetaObject.className())) {
    return new PanelAccessible(widget);
  }
  if (class_name == QLatin1String(TextDisplay::staticMetaObject.className())) {
    return make_text_display_accessible(static_cast<TextDisplay*>(object));
  }
  if (class_name == QLatin1String(CandidateBar::staticMetaObject.className())) {
    return new CandidateBarAccessible(static_cast<CandidateBar*>(object));
  }
  // The picker's grid, also while the picker is still being built.
  if (class_name == QLatin1String("QTableWidget")) {
    if (auto* picker = qobject_cast<SymbolPicker*>(object->parent())) {
      return new SymbolGridAccessible(picker, static_cast<QTableWidget*>(object));
    }
  }
  return nullptr;
}

}  // namespace

void accessible_strip_changed(CandidateBar* bar, int was_shown, bool candidates_changed) {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(bar);
  if (!strip) return;
  if (candidates_changed) {
    QAccessibleEvent reorder(strip, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
  } else if (QAccessibleInterface* old = strip->child(was_shown - 1)) {
    QAccessibleEvent removed(old, QAccessible::SelectionRemove);
    QAccessible::updateAccessibility(&removed);
  }
  if (QAccessibleInterface* now = strip->child(bar->shown() - 1)) {
    QAccessibleEvent added(now, QAccessible::SelectionAdd);
    QAccessible::updateAccessibility(&added);
  }
}

void name_scroll_bars(QAbstractScrollArea* area, const QString& what) {
  for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
    bar->setAccessibleName(what + QStringLiteral("のスクロールバー"));
    if (QWidget* frame = bar->parentWidget(); frame && frame != area) {
      frame->setAccessibleName(what + QStringLiteral("のスクロール欄"));
    }
  }
}

void install_accessible_factory() {
  static const bool installed = [] {
    QAccessible::installFactory(factory);
    return true;
  }();
  (void)installed;
}

}  // namespace lumeta

#include "accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>
#include <vector>

#include "candidate_strip_widget.h"
#include "main_window.h"
#include "message_label.h"
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
  CandidateAccessible(CandidateStripWidget* bar, int index)
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

  QPointer<CandidateStripWidget> bar_;
  int index_;  // from 1, as the strip numbers it
};

// A prediction of the strip: its spelling, described as a prediction; pressed, it is chosen.
class PredictionAccessible : public ItemAccessible {
 public:
  PredictionAccessible(CandidateStripWidget* bar, int index)
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

  QPointer<CandidateStripWidget> bar_;
  int index_;  // from 1, in the strip's order
};

// The strip's children in the order they are drawn: its predictions, then its candidates.
class CandidateStripWidgetAccessible : public QAccessibleWidget {
 public:
  explicit CandidateStripWidgetAccessible(CandidateStripWidget* bar)
      : QAccessibleWidget(bar, QAccessible::List), bar_(bar) {}

  int childCount() const override {
    return bar_->active() ? bar_->prediction_count() + bar_->candidate_count() : 0;
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    const int predictions = bar_->prediction_count();
    if (index < predictions) {
      return predictions_.get(index, [&] { return new PredictionAccessible(bar_, index + 1); });
    }
    return children_.get(index - predictions,
                         [&] { return new CandidateAccessible(bar_, index - predictions + 1); });
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = bar_->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < bar_->prediction_count(); ++i) {
      if (bar_->prediction_rect(i + 1).contains(at)) return child(i);
    }
    for (int i = 0; i < bar_->candidate_count(); ++i) {
      if (bar_->candidate_rect(i + 1).contains(at)) return child(bar_->prediction_count() + i);
    }
    return nullptr;
  }
  // The child of candidate `index` (from 1), or null.
  QAccessibleInterface* candidate(int index) const {
    return index >= 1 ? child(bar_->prediction_count() + index - 1) : nullptr;
  }

 private:
  CandidateStripWidget* bar_;
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
  // Nowhere while the picker is closed: its cells are not over the text then.
  QRect rect() const override {
    if (!isValid() || !grid_->isVisible()) return {};
    const QRect local = grid_->visualRect(grid_->model()->index(rowIndex(), columnIndex()));
    return on_screen(grid_->viewport(), local);
  }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.selected = isSelected();
    s.invisible = !isValid() || !grid_->isVisible();
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

// A message under the keys: a notification named by its message, which is also its text.
class MessageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit MessageAccessible(MessageLabel* label)
      : QAccessibleWidget(label, QAccessible::Notification), label_(label) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return label_->message();
    return QAccessibleWidget::text(t);
  }

  QString text(int start, int end) const override {
    const QString& all = label_->message();
    start = std::clamp(start, 0, static_cast<int>(all.size()));
    end = std::clamp(end, start, static_cast<int>(all.size()));
    return all.mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(label_->message().size()); }
  // Read-only, without a caret or a selection; a character is somewhere in the label.
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  QRect characterRect(int offset) const override {
    return offset >= 0 && offset < characterCount() ? rect() : QRect();
  }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 private:
  MessageLabel* label_;
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
  if (class_name == QLatin1String(MessageLabel::staticMetaObject.className())) {
    return new MessageAccessible(static_cast<MessageLabel*>(object));
  }
  if (class_name == QLatin1String(CandidateStripWidget::staticMetaObject.className())) {
    return new CandidateStripWidgetAccessible(static_cast<CandidateStripWidget*>(object));
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

// Qt 6.4's bridge sends the news of an ObjectReorder with the child's path as a string where
// AT-SPI wants a variant ("siis(so)" for "siiv(so)"), and every client drops it. The news of
// each child that goes (ObjectDestroyed) and comes (ObjectCreated) arrives whole.
void accessible_strip_changing(CandidateStripWidget* bar) {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(bar);
  for (int i = 0; strip && i < strip->childCount(); ++i) {
    QAccessibleEvent gone(strip->child(i), QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&gone);
  }
}

void accessible_strip_changed(CandidateStripWidget* bar, int was_shown, bool candidates_changed) {
  if (!QAccessible::isActive()) return;
  auto* strip =
      static_cast<CandidateStripWidgetAccessible*>(QAccessible::queryAccessibleInterface(bar));
  if (!strip) return;
  if (candidates_changed) {
    for (int i = 0; i < strip->childCount(); ++i) {
      QAccessibleEvent added(strip->child(i), QAccessible::ObjectCreated);
      QAccessible::updateAccessibility(&added);
    }
  } else if (QAccessibleInterface* old = strip->candidate(was_shown)) {
    QAccessibleEvent removed(old, QAccessible::SelectionRemove);
    QAccessible::updateAccessibility(&removed);
  }
  if (QAccessibleInterface* now = strip->candidate(bar->shown())) {
    QAccessibleEvent added(now, QAccessible::SelectionAdd);
    QAccessible::updateAccessibility(&added);
  }
}

void accessible_message_said(MessageLabel* label) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent renamed(label, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&renamed);
  QAccessibleEvent shown(label, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&shown);
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

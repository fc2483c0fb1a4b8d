#include "text_display_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <algorithm>

#include "qt_text.h"
#include "sjis.h"
#include "text_boundaries.h"
#include "text_display.h"
#include "unit_index.h"

namespace lumeta {
namespace {

TextEventListener g_listener = nullptr;

bool listening() {
  return g_listener || QAccessible::isActive();
}

void announce(QAccessibleEvent* event) {
  if (g_listener) g_listener(event);
  QAccessible::updateAccessibility(event);
}

QString plain(std::string_view cp932) {
  QString s = to_qstring(cp932);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

class TextDisplayAccessible;
// Each display's interface while it has one. Never destroyed, so that an interface that Qt
// deletes late at exit still finds it.
QHash<const TextDisplay*, TextDisplayAccessible*>& interfaces() {
  static auto* map = new QHash<const TextDisplay*, TextDisplayAccessible*>;
  return *map;
}

class TextDisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TextDisplayAccessible(TextDisplay* display)
      : QAccessibleWidget(display, QAccessible::EditableText), display_(display) {
    interfaces().insert(display, this);
  }
  ~TextDisplayAccessible() override { interfaces().remove(display_); }

  // Without a listener nothing follows the edits: start again on the next question.
  void forget() {
    stale_ = true;
    index_.clear();
  }
  // Before an edit: where it starts, in units, and the text it removes.
  void edit_begins(TextChange change, int* start, QString* removed) {
    const std::string_view text = display_->text();
    *start = units_before(change.start);
    *removed = plain(text.substr(static_cast<std::size_t>(change.start),
                                 static_cast<std::size_t>(change.removed)));
  }
  // After it: the index and the kept text follow.
  void edit_ends(TextChange change, int start, const QString& removed, const QString& inserted) {
    index_.edited(change, static_cast<int>(removed.size()), static_cast<int>(inserted.size()));
    if (!stale_) text_.replace(start, removed.size(), inserted);
  }

  int units_before(int position) const { return index_.units_at(display_->text(), position); }
  int position_of(int units) const { return index_.position_at(display_->text(), units); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // The children are the frames of the scroll bars; the viewport, which holds the text, is the
  // display itself to assistive tools.
  int childCount() const override { return static_cast<int>(parts().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> all = parts();
    return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index])
                                            : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? static_cast<int>(parts().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
  }

  // The whole text, kept until the display's text changes.
  const QString& whole() const {
    if (stale_) {
      text_ = display_->plain_text();
      stale_ = false;
    }
    return text_;
  }

  // Selection: the display has none, and a request for one is refused: nothing changes.
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}

  int cursorPosition() const override { return units_before(display_->caret()); }
  // Exactly a pointer click at that place: what is pending is confirmed as shown, and the place
  // becomes the insertion point, so the next key types there. An offset outside the text is
  // refused.
  void setCursorPosition(int position) override {
    if (position < 0 || position > characterCount()) return;
    emit display_->clicked(position_of(position));
  }

  QString text(int start, int end) const override {
    const QString& all = whole();
    start = std::clamp(start, 0, static_cast<int>(all.size()));
    end = std::clamp(end, start, static_cast<int>(all.size()));
    return all.mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(whole().size()); }

  // Lines are the display's wrapped lines, each with its line break; characters, words,
  // sentences and paragraphs are Lumeta's own pieces (text_boundaries.h), which answer at every
  // offset, the end included.
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                       int* end) const override {
    if (type == QAccessible::LineBoundary) return line_text(line_of_unit(offset), start, end);
    return piece_text(type, offset, piece_at, start, end);
  }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                           int* end) const override {
    if (type == QAccessible::LineBoundary) return line_text(line_of_unit(offset) - 1, start, end);
    return piece_text(type, offset, piece_before, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                          int* end) const override {
    if (type == QAccessible::LineBoundary) return line_text(line_of_unit(offset) + 1, start, end);
    return piece_text(type, offset, piece_after, start, end);
  }

  QRect characterRect(int offset) const override {
    const int position = position_of(offset);
    const QFontMetrics metrics(display_->font());
    const QChar ch = offset >= 0 && offset < characterCount() ? whole().at(offset) : QChar(u' ');
    const QPoint at = display_->point_at(position);
    const QRect local(at, QSize(ch == u'\n' ? 1 : metrics.horizontalAdvance(ch), metrics.height()));
    return QRect(display_->viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = display_->viewport()->mapFromGlobal(point);
    if (!display_->viewport()->rect().contains(local)) return -1;
    return units_before(display_->position_at(local));
  }

  // The display scrolls to its caret only.
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 private:
  QList<QWidget*> parts() const {
    QList<QWidget*> found;
    for (QObject* object : display_->children()) {
      auto* widget = qobject_cast<QWidget*>(object);
      if (widget && widget != display_->viewport() && !widget->isWindow()) found << widget;
    }
    return found;
  }

  int line_of_unit(int offset) const {
    return display_->line_of(position_of(std::clamp(offset, 0, characterCount())));
  }

  // The piece of `type` that `find` gives for `offset`; the whole text for NoBoundary.
  using FindPiece = TextSpan (*)(const QString&, TextPiece, int);
  QString piece_text(QAccessible::TextBoundaryType type, int offset, FindPiece find, int* start,
                     int* end) const {
    const QString& all = whole();
    TextSpan span{0, static_cast<int>(all.size())};
    if (type != QAccessible::NoBoundary) {
      // -1 is the end of the text, as for Qt's own text widgets.
      span = find(all, piece_kind(type), offset < 0 ? static_cast<int>(all.size()) : offset);
    }
    *start = span.start;
    *end = span.end;
    return span.start < 0 ? QString() : all.mid(span.start, span.end - span.start);
  }
  static TextPiece piece_kind(QAccessible::TextBoundaryType type) {
    switch (type) {
      case QAccessible::CharBoundary:
        return TextPiece::character;
      case QAccessible::WordBoundary:
        return TextPiece::word;
      case QAccessible::SentenceBoundary:
        return TextPiece::sentence;
      default:
        return TextPiece::paragraph;
    }
  }

  QString line_text(int line, int* start, int* end) const {
    if (line < 0 || line >= display_->line_count()) {
      *start = *end = -1;
      return {};
    }
    const int last = static_cast<int>(display_->text().size());
    *start = units_before(display_->line_start(line));
    *end = units_before(line + 1 < display_->line_count() ? display_->line_start(line + 1) : last);
    return text(*start, *end);
  }

  TextDisplay* display_;
  mutable UnitIndex index_;
  mutable QString text_;
  mutable bool stale_ = true;
};

}  // namespace

QAccessibleInterface* make_text_display_accessible(TextDisplay* display) {
  return new TextDisplayAccessible(display);
}

namespace {

// The display's interface, made by the factory (which registers it) when first asked for.
TextDisplayAccessible* interface_of(TextDisplay& display) {
  if (TextDisplayAccessible* iface = interfaces().value(&display)) return iface;
  QAccessible::queryAccessibleInterface(&display);
  return interfaces().value(&display);
}

}  // namespace

PendingTextEvent accessible_text_before(TextDisplay& display, TextChange change) {
  PendingTextEvent pending;
  if (!listening()) {
    if (TextDisplayAccessible* iface = interfaces().value(&display)) iface->forget();
    return pending;
  }
  TextDisplayAccessible* iface = interface_of(display);
  if (!iface) return pending;
  pending.announce = true;
  pending.change = change;
  pending.old_caret = display.caret();
  iface->edit_begins(change, &pending.start, &pending.removed);
  return pending;
}

void accessible_text_after(TextDisplay& display, const PendingTextEvent& pending) {
  TextDisplayAccessible* iface = pending.announce ? interface_of(display) : nullptr;
  if (!iface) return;
  const QString inserted = plain(std::string_view(display.text())
                                     .substr(static_cast<std::size_t>(pending.change.start),
                                             static_cast<std::size_t>(pending.change.inserted)));
  iface->edit_ends(pending.change, pending.start, pending.removed, inserted);
  if (pending.removed.isEmpty() && !inserted.isEmpty()) {
    QAccessibleTextInsertEvent event(&display, pending.start, inserted);
    announce(&event);
  } else if (!pending.removed.isEmpty() && inserted.isEmpty()) {
    QAccessibleTextRemoveEvent event(&display, pending.start, pending.removed);
    announce(&event);
  } else if (pending.removed != inserted) {
    QAccessibleTextUpdateEvent event(&display, pending.start, pending.removed, inserted);
    announce(&event);
  }
  if (display.caret() != pending.old_caret) accessible_caret_moved(display);
}

void accessible_caret_moved(TextDisplay& display) {
  if (!listening()) return;
  QAccessibleTextCursorEvent event(&display, interface_of(display)->units_before(display.caret()));
  announce(&event);
}

void listen_to_text_events(TextEventListener listener) {
  g_listener = listener;
}

}  // namespace lumeta

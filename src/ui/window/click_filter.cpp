#include "click_filter.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace lumeta {

void ClickFilter::install(QWidget* widget, Buttons buttons) {
  widget->installEventFilter(new ClickFilter(widget, buttons));
}

ClickFilter::ClickFilter(QWidget* widget, Buttons buttons) : QObject(widget), buttons_(buttons) {}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseButtonDblClick) {
    return false;
  }
  auto* mouse = static_cast<QMouseEvent*>(event);
  const Qt::MouseButton button = mouse->button();
  if (type == QEvent::MouseButtonDblClick && (down_ & button)) return true;  // counted already

  const bool relabel =
      buttons_ == Buttons::all_as_left && button != Qt::LeftButton && button != Qt::NoButton;
  if (type != QEvent::MouseButtonDblClick && !relabel) {
    if (type == QEvent::MouseButtonPress) down_ |= button;
    if (type == QEvent::MouseButtonRelease) down_ &= ~button;
    return false;
  }
  // The double click becomes its press; another button becomes the left one. The new event
  // passes through this filter again.
  const Qt::MouseButton sent = relabel ? Qt::LeftButton : button;
  Qt::MouseButtons held = mouse->buttons();
  if (relabel) held = (held & button) ? (held & ~button) | Qt::LeftButton : held & ~button;
  const QEvent::Type sent_type =
      type == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : type;
  QMouseEvent copy(sent_type, mouse->position(), mouse->scenePosition(), mouse->globalPosition(),
                   sent, held, mouse->modifiers(), mouse->pointingDevice());
  QCoreApplication::sendEvent(watched, &copy);
  if (relabel) {
    if (sent_type == QEvent::MouseButtonPress) down_ |= button;
    if (sent_type == QEvent::MouseButtonRelease) down_ &= ~button;
  }
  return true;
}

}  // namespace lumeta

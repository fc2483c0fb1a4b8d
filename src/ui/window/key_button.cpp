#include "key_button.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include "click_filter.h"
#include "ui_font.h"

namespace lumeta {
namespace {

// Screen readers, switch access and dwell-click tools see a key as a button they can press.
class KeyButtonAccessible : public QAccessibleWidget {
 public:
  explicit KeyButtonAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) static_cast<KeyButton*>(widget())->press_and_release();
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = static_cast<KeyButton*>(widget())->is_down();
    return state;
  }
};

QAccessibleInterface* key_button_accessible(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("lumeta::KeyButton") && object && object->isWidgetType()) {
    return new KeyButtonAccessible(static_cast<QWidget*>(object));
  }
  return nullptr;
}

}  // namespace

KeyButton::KeyButton(int number, const QString& caption, QWidget* parent)
    : QWidget(parent), number_(number), caption_(caption) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(key_button_accessible);
    return true;
  }();
  (void)factory_installed;
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  ClickFilter::install(this);
}

void KeyButton::set_face(const QPixmap& face) {
  face_ = face;
  update();
}

void KeyButton::set_caption_colour(const QColor& colour) {
  caption_colour_ = colour;
  update();
}

void KeyButton::press_and_release() {
  const QPointF centre = QRectF(rect()).center();
  QMouseEvent press(QEvent::MouseButtonPress, centre, mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(this, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, mapToGlobal(centre), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(this, &release);
}

void KeyButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton option;
  option.initFrom(this);
  option.state |= down_ ? QStyle::State_Sunken : QStyle::State_Raised;
  painter.fillRect(rect(), palette().button());
  style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
  const QPoint shift = down_ ? QPoint(1, 1) : QPoint(0, 0);
  if (!face_.isNull()) {
    const QSize size = face_.deviceIndependentSize().toSize();
    const QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.setClipRect(rect().adjusted(2, 2, -2, -2));
    painter.drawPixmap(at + shift, face_);
  } else if (!caption_.isEmpty()) {
    painter.setFont(ui_font(18, true));
    painter.setPen(caption_colour_);
    painter.drawText(rect().translated(shift), Qt::AlignCenter, caption_);
  }
}

void KeyButton::mousePressEvent(QMouseEvent* event) {
  event->accept();
  down_ = true;
  update();
  emit pressed(number_);
}

// ClickFilter has made the double click a press, or dropped it after its own press.
void KeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
}

void KeyButton::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  down_ = false;
  update();
  emit released(number_);
}

}  // namespace lumeta

// Every click is a tap. On X11 the second press of a double click reaches a widget only as a
// double-click event; other routes (touch taps turned into mouse events, test tools) deliver a
// press first and the double-click event after it. ClickFilter turns a double-click event into
// the press it stands for when no press arrived for that click, and drops it when one did, so
// each click counts exactly once. It can also hand every mouse button to the widget as the
// left button, for widgets that answer the left button only.
#pragma once

#include <QObject>

class QWidget;

namespace lumeta {

class ClickFilter : public QObject {
  Q_OBJECT

 public:
  enum class Buttons { as_they_are, all_as_left };

  // Installs a filter on `widget`, owned by it.
  static void install(QWidget* widget, Buttons buttons = Buttons::as_they_are);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ClickFilter(QWidget* widget, Buttons buttons);

  Buttons buttons_;
  Qt::MouseButtons down_;  // the buttons whose press reached the widget and are not yet released
};

}  // namespace lumeta

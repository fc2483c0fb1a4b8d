// The text display as assistive tools see it: a read-only multi-line text whose characters,
// words, lines and caret a screen reader can read, told of every change of text and caret.
// Offsets are Qt's UTF-16 units of the text with each line break a lone LF: one unit per
// Shift-JIS character, CR LF included.
#pragma once

#include <QString>

#include "view.h"

class QAccessibleEvent;
class QAccessibleInterface;

namespace lumeta {

class TextDisplay;

QAccessibleInterface* make_text_display_accessible(TextDisplay* display);

// What assistive tools will hear of an edit of the display, taken before the edit. Nothing is
// worked out while no assistive tool listens, so typing costs the same then.
struct PendingTextEvent {
  bool announce = false;
  int start = 0;      // the edit's first unit
  QString removed;    // the text it removes
  int old_caret = 0;  // in bytes
  TextChange change{0, 0, 0};
};
PendingTextEvent accessible_text_before(TextDisplay& display, TextChange change);
void accessible_text_after(TextDisplay& display, const PendingTextEvent& pending);
void accessible_caret_moved(TextDisplay& display);

// Hands every announcement to `listener` too, and announces even while no assistive tool is
// active: how the tests hear what a screen reader would. Null to stop.
using TextEventListener = void (*)(QAccessibleEvent* event);
void listen_to_text_events(TextEventListener listener);

}  // namespace lumeta

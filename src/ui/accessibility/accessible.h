// The accessible interfaces Lumeta adds to what Qt gives every widget: the text display's text,
// the candidate strip's candidates and the symbol picker's cells, each with a "Press" action;
// the window as a frame, the mode status as a status bar, the symbol picker as a panel, the
// messages under the keys as notifications with a text.
#pragma once

class QAbstractScrollArea;
class QString;

namespace lumeta {

class CandidateStripWidget;
class MessageLabel;

// Installs the factory that hands them out. Safe to call more than once; each of those widgets
// calls it before it can be asked for its interface.
void install_accessible_factory();

// Tells assistive tools that the strip's children are about to go: before its predictions or
// candidates change.
void accessible_strip_changing(CandidateStripWidget* bar);
// Tells assistive tools that the strip's candidate on display moved from `was_shown` (1-based,
// 0: none) to the one it shows now, as a selection moves, and when `candidates_changed`, that
// its children are new.
void accessible_strip_changed(CandidateStripWidget* bar, int was_shown, bool candidates_changed);

// Announces the message `label` shows now, as a notification that appears with that name.
void accessible_message_said(MessageLabel* label);

}  // namespace lumeta

namespace lumeta {

// Names the scroll bars of `area` and the frames Qt keeps them in after `what`: for "記号の一覧",
// "記号の一覧のスクロールバー" in "記号の一覧のスクロール欄", so nothing shown goes unnamed.
void name_scroll_bars(QAbstractScrollArea* area, const QString& what);

}  // namespace lumeta

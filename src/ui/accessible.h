// The accessible interfaces Lumeta adds to what Qt gives every widget: the text display's text,
// the candidate strip's candidates and the symbol picker's cells, each with a "Press" action;
// the window as a frame, the mode status as a status bar, the symbol picker as a panel.
#pragma once

namespace lumeta {

class CandidateBar;

// Installs the factory that hands them out. Safe to call more than once; each of those widgets
// calls it before it can be asked for its interface.
void install_accessible_factory();

// Tells assistive tools that the strip's candidate on display moved from `was_shown` (1-based,
// 0: none) to the one it shows now, as a selection moves, and when `candidates_changed`, that
// its candidates are new.
void accessible_strip_changed(CandidateBar* bar, int was_shown, bool candidates_changed);

}  // namespace lumeta

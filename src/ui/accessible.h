// The accessible interfaces Lumeta adds to what Qt gives every widget: the text display's text,
// the candidate strip's candidates and the symbol picker's cells, each with a "Press" action.
#pragma once

namespace lumeta {

// Installs the factory that hands them out. Safe to call more than once; each of those widgets
// calls it before it can be asked for its interface.
void install_accessible_factory();

}  // namespace lumeta

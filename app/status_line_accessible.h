// How screen readers see the status line: a status bar whose name is the
// current announcement and whose description is the whole status text, with
// one notification inside it that is shown anew for every text.
#pragma once

namespace brisendale {

// Registers the accessible interfaces of StatusLine; harmless to call again.
void InstallStatusLineAccessibility();

}  // namespace brisendale

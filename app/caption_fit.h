// Captions laid out for Tahoma, shown in whatever font the machine has.
//
// The fallback fonts are wider than Tahoma, so a caption, a list entry or a
// status text may not fit the box that was laid out for it. Rather than cut
// it off, the font is narrowed just enough, down to three quarters of its
// width, which stays easy to read.
#pragma once

#include <QFont>

#include <functional>

class QWidget;

namespace brisendale {

// `font` narrowed in steps until `fits` accepts it; the narrowest step when
// none does.
QFont NarrowedToFit(const QFont& font, const std::function<bool(const QFont&)>& fits);

// Narrows `control`'s font until the control is as wide as its size hint
// asks: a label's or a button's caption, or a list's longest entry.
void FitCaption(QWidget* control);

}  // namespace brisendale

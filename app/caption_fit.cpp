#include "app/caption_fit.h"

#include <QWidget>

namespace brisendale {

QFont NarrowedToFit(const QFont& font, const std::function<bool(const QFont&)>& fits) {
    QFont narrowed = font;
    for (int stretch = 100; stretch >= 75; stretch -= 5) {
        narrowed.setStretch(stretch);
        if (fits(narrowed))
            break;
    }
    return narrowed;
}

void FitCaption(QWidget* control) {
    // Every fitting starts again from the full width, so that fitting after
    // the content changed may widen the font as well as narrow it.
    control->setFont(NarrowedToFit(control->font(), [control](const QFont& font) {
        control->setFont(font);
        return control->sizeHint().width() <= control->width();
    }));
}

}  // namespace brisendale

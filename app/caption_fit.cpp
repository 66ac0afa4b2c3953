#include "app/caption_fit.h"

#include <QCoreApplication>
#include <QEvent>
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
    // the content changed may widen the font as well as narrow it. A list
    // keeps its size hint until its font changes, so it is told that it did:
    // entries added since must count.
    QEvent fontChange(QEvent::FontChange);
    QCoreApplication::sendEvent(control, &fontChange);
    control->setFont(NarrowedToFit(control->font(), [control](const QFont& font) {
        control->setFont(font);
        return control->sizeHint().width() <= control->width();
    }));
}

}  // namespace brisendale

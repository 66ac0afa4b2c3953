#include "app/status_line.h"

#include "app/caption_fit.h"
#include "app/status_line_accessible.h"

#include <QAccessible>
#include <QPainter>
#include <QStyle>

namespace brisendale {

StatusLine::StatusLine(QWidget* parent) : QWidget(parent), announcer_(new QObject(this)) {
    InstallStatusLineAccessibility();
    announcer_->setObjectName(QStringLiteral("statusAnnouncement"));
}

void StatusLine::setText(const QString& text) {
    text_ = text;
    announcement_ =
        pendingDetail_.isEmpty() || text.isEmpty() ? text : text + u' ' + pendingDetail_;
    pendingDetail_.clear();
    setToolTip(text);
    update();

    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent descriptionChanged(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&descriptionChanged);
    if (!announcement_.isEmpty()) {
        QAccessibleEvent shown(announcer_, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

void StatusLine::announceWithNextText(const QString& detail) {
    pendingDetail_ = detail;
}

QSize StatusLine::sizeHint() const {
    return fontMetrics().size(Qt::TextSingleLine, text_);
}

StatusLine::Rendering StatusLine::rendering() const {
    const QRect box = contentsRect();
    const auto fitsOneLine = [&](const QFont& font) {
        return QFontMetrics(font).horizontalAdvance(text_) <= box.width();
    };
    const auto fitsTwoLines = [&](const QFont& font) {
        return QFontMetrics(font).boundingRect(box, Qt::TextWordWrap, text_).height() <=
               box.height();
    };
    // One line if a narrower font allows it, else two, so that advice at the
    // end of a long text ("try another server") is still read; elided only
    // when neither fits.
    Rendering result{NarrowedToFit(font(), fitsOneLine), Qt::AlignLeft | Qt::AlignVCenter, text_};
    if (fitsOneLine(result.font))
        return result;
    result.font = NarrowedToFit(font(), fitsTwoLines);
    if (fitsTwoLines(result.font))
        result.flags |= Qt::TextWordWrap;
    else
        result.shown = QFontMetrics(result.font).elidedText(text_, Qt::ElideRight, box.width());
    return result;
}

bool StatusLine::showsWholeText() const {
    return rendering().shown == text_;
}

void StatusLine::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const Rendering how = rendering();
    painter.setFont(how.font);
    style()->drawItemText(&painter, contentsRect(), how.flags, palette(), isEnabled(), how.shown,
                          foregroundRole());
}

}  // namespace brisendale

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

void StatusLine::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect box = contentsRect();
    const QFont font = NarrowedToFit(this->font(), [&](const QFont& narrowed) {
        return QFontMetrics(narrowed).horizontalAdvance(text_) <= box.width();
    });
    painter.setFont(font);
    const QString shown = QFontMetrics(font).elidedText(text_, Qt::ElideRight, box.width());
    style()->drawItemText(&painter, box, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                          shown, foregroundRole());
}

}  // namespace brisendale

#include "app/status_line_accessible.h"

#include "app/status_line.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>

namespace brisendale {
namespace {

class StatusBarInterface : public QAccessibleWidget {
  public:
    explicit StatusBarInterface(StatusLine* line)
        : QAccessibleWidget(line, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name:
                return line()->announcement();
            case QAccessible::Description:
                return line()->text();
            default:
                return QAccessibleWidget::text(kind);
        }
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(line()->announcer()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == line()->announcer() ? 0 : -1;
    }

  private:
    StatusLine* line() const { return static_cast<StatusLine*>(widget()); }
};

// Readers speak a notification when it is shown, wherever the focus is.
class AnnouncementInterface : public QAccessibleObject {
  public:
    AnnouncementInterface(QObject* announcer, StatusLine* line)
        : QAccessibleObject(announcer), line_(line) {}

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? line_->announcement() : QString();
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = line_->announcement().isEmpty() || !line_->isVisible();
        return state;
    }
    QRect rect() const override { return statusBar()->rect(); }
    QAccessibleInterface* parent() const override { return statusBar(); }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  private:
    QAccessibleInterface* statusBar() const { return QAccessible::queryAccessibleInterface(line_); }

    StatusLine* line_;
};

QAccessibleInterface* MakeInterface(const QString& /*className*/, QObject* object) {
    if (auto* line = qobject_cast<StatusLine*>(object))
        return new StatusBarInterface(line);
    if (auto* line = qobject_cast<StatusLine*>(object->parent());
        line != nullptr && line->announcer() == object) {
        return new AnnouncementInterface(object, line);
    }
    return nullptr;
}

}  // namespace

void InstallStatusLineAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&MakeInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace brisendale

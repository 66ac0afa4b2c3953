// The status line at the foot of the window.
//
// It keeps to the place the window gives it, so that it never covers another
// control or takes its clicks, whatever the text. A text too long for that
// place is drawn narrower and, if it still does not fit, elided; the whole
// text is always the tool tip and the accessible description.
//
// Screen readers see a status bar. Since a reader does not speak a change of
// name on an object that has no focus, every new text is also announced
// through a notification inside the status bar.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

namespace brisendale {

class StatusLine : public QWidget {
    Q_OBJECT

  public:
    explicit StatusLine(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    // Said after the next text only, and never shown: for instance the time
    // that the next status reports as received.
    void announceWithNextText(const QString& detail);
    // What screen readers are told about the current text.
    QString announcement() const { return announcement_; }
    // The object through which each text is announced.
    QObject* announcer() const { return announcer_; }

    // Whether the current text is drawn whole, on one line or two, rather
    // than elided.
    bool showsWholeText() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Rendering {
        QFont font;
        int flags;
        QString shown;
    };
    Rendering rendering() const;

    QString text_;
    QString pendingDetail_;
    QString announcement_;
    QObject* announcer_;
};

}  // namespace brisendale

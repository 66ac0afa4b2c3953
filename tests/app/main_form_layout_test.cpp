// The window in the one font each run pins, whatever the status line says.
#include "test_runtime.h"

#include <functional>

#include <QAbstractButton>
#include <QAccessible>
#include <QFontInfo>
#include <QLabel>

namespace brisendale::testing {
namespace {

using LayoutTest = FormTest;

// None, the program's longest (the shorter fit where they do) and a socket error's too long.
const QString kStatusTexts[] = {"", "Status: System time set; local time 00:00:00 (GMT +13:45 h).",
                                "Status: This server was retired by its operator; use another one.",
                                "Status: Winsock Error: " + QString(200, 'W')};

QRect BoxIn(const QWidget& form, const QWidget* control) {
    return QRect(control->mapTo(&form, QPoint()), control->size());
}

TEST_F(LayoutTest, NoControlIsCutOffCoversAnotherOrLeavesTheWindowWhateverTheStatus) {
    MainForm& form = StartForm(true);
    // Qt names a family that two foundries make "Family [Foundry]".
    const QString pinned = qEnvironmentVariable("BRISENDALE_LAYOUT_FONT");
    EXPECT_TRUE(pinned.isEmpty() || QFontInfo(form.font()).family().section(" [", 0, 0) == pinned);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user must not resize the window";
    for (const QString& status : kStatusTexts) {
        ui->statusLabel->setText(status);
        // The controls a person sees, not Qt's inner parts.
        QWidgetList controls = form.findChildren<QWidget*>();
        controls.removeIf([](const QWidget* control) {
            return !control->isVisible() || control->objectName().isEmpty() ||
                   control->objectName().startsWith("qt_");
        });
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QWidget* control = controls[i];
            const std::string name = control->objectName().toStdString();
            EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry())) << name;
            EXPECT_LE(control->fontMetrics().height(), control->height()) << name;
            // Fields scroll, the status line elides; captions and list entries are whole.
            const bool scrolls =
                qobject_cast<const QLineEdit*>(control) || qobject_cast<const StatusLine*>(control);
            const QSize wanted = control->sizeHint().expandedTo(control->minimumSizeHint());
            EXPECT_TRUE(scrolls || wanted.width() <= control->width()) << name;
            for (const QWidget* other : controls.mid(i + 1)) {
                const bool nested = other->isAncestorOf(control) || control->isAncestorOf(other);
                EXPECT_TRUE(nested || !BoxIn(form, control).intersects(BoxIn(form, other)))
                    << name << " covers " << other->objectName().toStdString();
            }
        }
        // The program's own texts are drawn whole; only longer ones are elided.
        EXPECT_TRUE(ui->statusLabel->showsWholeText() || status.size() > 100)
            << status.toStdString();
    }
}

// Access keys are unique and reach their fields; Enter presses; Esc closes a list, else the window.
TEST_F(FormTest, KeyboardAloneReachesAndPressesTheControls) {
    MainForm& form = StartForm(true);
    QList<QKeySequence> keys;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(control);
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        const QString caption = label ? label->text() : button ? button->text() : QString();
        const QKeySequence key = QKeySequence::mnemonic(caption);
        const QWidget* reached = label ? label->buddy() : control;
        const bool reachable = reached && reached->focusPolicy() & Qt::TabFocus;
        EXPECT_TRUE(key.isEmpty() || (!keys.contains(key) && reachable)) << caption.toStdString();
        keys << key;
    }
    EXPECT_EQ(keys.size() - keys.count(QKeySequence()), 7);
    for (const auto& [key, modifier] : {std::pair(Qt::Key_Return, Qt::NoModifier),
                                        std::pair(Qt::Key_Enter, Qt::KeypadModifier)}) {
        ui->statusLabel->setText(QString());
        ui->retrieveButton->setFocus();
        QTest::keyClick(ui->retrieveButton, key, modifier);
        EXPECT_EQ(ui->statusLabel->text(), "Status: Connecting to server...") << key;
    }
    ui->zoneList->showPopup();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_F2}) {  // the list's Esc; a key no one takes
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(form.isVisible());
    }
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

// What a screen reader finds: the status in a notification of the status bar, read wherever the
// focus is; the controls described; every child the tree counts, as readers walk it by counts.
TEST_F(FormTest, AScreenReaderFindsTheStatusAnnouncedAndEveryControlDescribed) {
    MainForm& form = StartForm(true);
    ui->retrieveButton->click();
    transport.Send(NistLine());
    const auto node = [](QObject* object) { return QAccessible::queryAccessibleInterface(object); };
    const QString success = "Status: Atomic time successfully received.";
    QAccessibleInterface* announcement = node(ui->statusLabel)->child(0);
    EXPECT_EQ(announcement->role(), QAccessible::Notification);
    EXPECT_EQ(announcement->parent()->role(), QAccessible::StatusBar);
    EXPECT_FALSE(announcement->state().invisible);
    EXPECT_EQ(announcement->text(QAccessible::Name),
              success + " Atomic Time: " + ui->timeLabel->text());
    EXPECT_EQ(node(ui->statusLabel)->text(QAccessible::Description), success);
    EXPECT_TRUE(node(ui->delayField)->text(QAccessible::Description).startsWith("Seconds"));
    const QAccessibleInterface* image = node(form.findChild<QLabel*>("IconImg"));
    EXPECT_TRUE(image->role() == QAccessible::Graphic && !image->text(QAccessible::Name).isEmpty());
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* parent) {
        for (int i = 0; i < parent->childCount(); ++i) {
            QAccessibleInterface* child = parent->child(i);
            ASSERT_NE(child, nullptr) << parent->text(QAccessible::Name).toStdString() << ", " << i;
            walk(child);
        }
    };
    walk(node(&form));
}

}  // namespace
}  // namespace brisendale::testing

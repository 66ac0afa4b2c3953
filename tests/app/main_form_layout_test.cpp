// The window as a person sees it, in the widest fallback font: of a fixed
// size, no control covering another or leaving the window whatever the status
// line says, no caption or list entry cut off.
#include "test_runtime.h"

#include <QFontInfo>

#include <vector>

namespace brisendale::testing {
namespace {

using LayoutTest = FormTest;

// Every text the status line can show; the last stands for the longest
// description a socket error can bring.
const QString kStatusTexts[] = {"",
                                "Status: Connecting to server...",
                                "Status: Error Occurred.",
                                "Status: Atomic time successfully received.",
                                "Status: Invalid reply from server.",
                                "Status: Server reports its time may be wrong; try another server.",
                                "Status: Waiting for authorisation...",
                                "Status: Winsock Error: Connection closed by server",
                                "Status: Winsock Error: Connection timed out",
                                "Status: Winsock Error: No buffer space available",
                                "Status: Winsock Error: " + QString(200, 'W')};

// The controls a person can see: named widgets, not Qt's inner parts.
std::vector<QWidget*> VisibleControls(const QWidget& form) {
    std::vector<QWidget*> controls;
    for (QWidget* control : form.findChildren<QWidget*>()) {
        const QString name = control->objectName();
        if (!name.isEmpty() && !name.startsWith("qt_") && control->isVisible())
            controls.push_back(control);
    }
    return controls;
}

QRect BoxIn(const QWidget& form, const QWidget* control) {
    return QRect(control->mapTo(&form, QPoint()), control->size());
}

TEST_F(LayoutTest, NoControlIsCutOffCoversAnotherOrLeavesTheWindowWhateverTheStatus) {
    MainForm& form = ShownForm();
    EXPECT_TRUE(!qEnvironmentVariableIsSet("FONTCONFIG_FILE") ||
                QFontInfo(form.font()).family() == "DejaVu Sans");
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user must not resize the window";
    for (const QString& status : kStatusTexts) {
        ui->statusLabel->setText(status);
        const std::vector<QWidget*> controls = VisibleControls(form);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const QWidget* control = controls[i];
            const std::string name = control->objectName().toStdString();
            EXPECT_TRUE(form.rect().contains(BoxIn(form, control))) << name;
            EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry())) << name;
            EXPECT_LE(control->fontMetrics().height(), control->height()) << name;
            // Fields scroll and the status line elides; every caption is whole.
            const bool scrolls =
                qobject_cast<const QLineEdit*>(control) || qobject_cast<const StatusLine*>(control);
            const QSize wanted = control->sizeHint().expandedTo(control->minimumSizeHint());
            EXPECT_TRUE(scrolls || wanted.width() <= control->width()) << name;
            for (const QWidget* other : std::vector(controls.begin() + i + 1, controls.end())) {
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

}  // namespace
}  // namespace brisendale::testing

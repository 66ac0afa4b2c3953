// The window in the widest fallback font, whatever the status line says: of a
// fixed size, no control cut off, covering another or leaving its parent.
#include "test_runtime.h"

#include <QFontInfo>

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
                                "Status: Winsock Error: " + QString(200, 'W')};

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
            // Fields scroll and the status line elides; every caption is whole.
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

}  // namespace
}  // namespace brisendale::testing

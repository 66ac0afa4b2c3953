// The window as a person sees and uses it, in the widest fallback font: no
// control covers another or leaves the window, whatever the status line says;
// no caption is cut off; access keys, tab order, Enter and Esc.
#include "test_runtime.h"

#include "tests/support/daytime_test_server.h"

#include <QApplication>
#include <QFontInfo>
#include <QTest>

#include <vector>

namespace brisendale::testing {
namespace {

// Every text the status line can show; the last stands for the longest
// description a socket error can bring.
const QString kStatusTexts[] = {
    "",
    "Status: Connecting to server...",
    "Status: Error Occurred.",
    "Status: Atomic time successfully received.",
    "Status: Invalid reply from server.",
    "Status: Server reports its time may be wrong; try another server.",
    "Status: Waiting for authorisation...",
    "Status: Winsock Error: Connection closed by server",
    "Status: Winsock Error: Connection timed out",
    "Status: Winsock Error: No buffer space available",
    "Status: Winsock Error: " + QString(200, 'W'),
};

class LayoutTest : public FormTest {
  protected:
    MainForm& ShownForm(quint16 port = 13) {
        MainForm& form = MakeForm(port);
        form.startUp();  // fills the lists, whose entries must fit too
        form.showIfInteractive();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }

    // The controls a person can see: named widgets, not Qt's inner parts.
    static std::vector<QWidget*> VisibleControls(const QWidget& form) {
        std::vector<QWidget*> controls;
        for (QWidget* control : form.findChildren<QWidget*>()) {
            const QString name = control->objectName();
            if (!name.isEmpty() && !name.startsWith("qt_") && control->isVisible())
                controls.push_back(control);
        }
        return controls;
    }
};

TEST_F(LayoutTest, RunsInTheWidestFallbackFont) {
    MainForm& form = ShownForm();
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE")) {
        EXPECT_EQ(QFontInfo(form.font()).family(), "DejaVu Sans");
    }
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user must not resize the window";
    for (int side : {16, 32, 48, 128}) {
        EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(side, side))) << side;
    }
}

TEST_F(LayoutTest, NoControlCoversAnotherOrLeavesTheWindowWhateverTheStatus) {
    DaytimeTestServer closingServer({}, DaytimeTestServer::Behaviour::CloseAtOnce);
    MainForm& form = ShownForm(closingServer.Port());
    auto expectApart = [&form](const QString& status) {
        const std::vector<QWidget*> controls = VisibleControls(form);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            QWidget* control = controls[i];
            const std::string name = control->objectName().toStdString();
            const QRect box(control->mapTo(&form, QPoint()), control->size());
            EXPECT_TRUE(form.rect().contains(box)) << name;
            EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry())) << name;
            for (QWidget* other : std::vector(controls.begin() + i + 1, controls.end())) {
                if (other->isAncestorOf(control) || control->isAncestorOf(other))
                    continue;
                EXPECT_FALSE(box.intersects(QRect(other->mapTo(&form, QPoint()), other->size())))
                    << name << " covers " << other->objectName().toStdString() << " with \""
                    << status.toStdString() << '"';
            }
        }
    };
    // Once through a real retrieval, then every text the line can show.
    form.servers.ServerHost[0] = "127.0.0.1";
    ui->retrieveButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->statusLabel->text().contains("closed"); }));
    expectApart(ui->statusLabel->text());
    for (const QString& status : kStatusTexts) {
        ui->statusLabel->setText(status);
        expectApart(status);
        // The program's own texts are drawn whole; anything longer is elided,
        // and the whole text is always there to read.
        EXPECT_EQ(ui->statusLabel->toolTip(), status);
        EXPECT_TRUE(ui->statusLabel->showsWholeText() || status.size() > 100)
            << status.toStdString();
    }
}

TEST_F(LayoutTest, NoCaptionOrListEntryIsCutOff) {
    MainForm& form = ShownForm();
    for (QWidget* control : VisibleControls(form)) {
        const std::string name = control->objectName().toStdString();
        EXPECT_LE(control->fontMetrics().height(), control->height()) << name;
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<StatusLine*>(control))
            continue;  // fields scroll, and the status line elides
        EXPECT_LE(control->sizeHint().expandedTo(control->minimumSizeHint()).width(),
                  control->width())
            << name;
    }
}

TEST_F(LayoutTest, AccessKeysAreUniqueAndALabelsKeyReachesItsField) {
    MainForm& form = ShownForm();
    QList<QKeySequence> keys;
    for (QWidget* control : VisibleControls(form)) {
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        const QString caption = label ? label->text() : button ? button->text() : QString();
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (key.isEmpty())
            continue;
        EXPECT_FALSE(keys.contains(key)) << caption.toStdString();
        keys << key;
        // A label's key moves the focus to the field the label names.
        EXPECT_TRUE(!label || (label->buddy() && label->buddy()->focusPolicy() & Qt::TabFocus))
            << caption.toStdString();
    }
    EXPECT_EQ(keys.size(), 7);
}

TEST_F(LayoutTest, TabVisitsTheFieldsInOrder) {
    ShownForm();
    ui->setClockButton->setEnabled(true);
    ui->delayField->setEnabled(true);
    const QWidget* expected[] = {
        ui->serverList,     ui->zoneList,   ui->portField,   ui->retrieveButton, ui->setClockButton,
        ui->syncAtLogonBox, ui->delayField, ui->closeButton, ui->timeLabel,      ui->serverList};
    ui->serverList->setFocus();
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "after tab " << i;
    }
}

TEST_F(LayoutTest, EnterAndKeypadEnterPressTheFocusedButtonAndEscCloses) {
    DaytimeTestServer server;
    MainForm& form = ShownForm(server.Port());
    form.servers.ServerHost[0] = "127.0.0.1";
    const std::pair<Qt::Key, Qt::KeyboardModifiers> enterKeys[] = {
        {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (auto [key, modifiers] : enterKeys) {
        ui->statusLabel->setText(QString());
        ui->retrieveButton->setFocus();
        QTest::keyClick(ui->retrieveButton, key, modifiers);
        EXPECT_EQ(ui->statusLabel->text(), "Status: Connecting to server...") << key;
    }
    int closePresses = 0;
    QObject::connect(ui->closeButton, &QPushButton::clicked, [&] { ++closePresses; });
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(closePresses, 1);
}

}  // namespace
}  // namespace brisendale::testing

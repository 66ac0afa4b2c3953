// The window as a person sees and uses it, in the widest fallback font: no
// control covers another or leaves the window, whatever the status line says;
// no caption is cut off; access keys, tab order, Enter and Esc.
#include "test_runtime.h"

#include "tests/support/daytime_test_server.h"

#include <QApplication>
#include <QClipboard>
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
        // What does not fit is elided; the whole text is always there to read.
        EXPECT_EQ(ui->statusLabel->toolTip(), status);
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

TEST_F(LayoutTest, AccessKeysAreUnique) {
    MainForm& form = ShownForm();
    QList<QKeySequence> keys;
    for (QWidget* control : VisibleControls(form)) {
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(control))
            caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            caption = button->text();
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (key.isEmpty())
            continue;
        EXPECT_FALSE(keys.contains(key)) << caption.toStdString();
        keys << key;
    }
    EXPECT_EQ(keys.size(), 7);
}

TEST_F(LayoutTest, TabVisitsTheFieldsInOrderAndSkipsDisabledOnes) {
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
    ui->setClockButton->setEnabled(false);
    ui->delayField->setEnabled(false);
    ui->retrieveButton->setFocus();
    QTest::keyClick(ui->retrieveButton, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ui->syncAtLogonBox);
    QTest::keyClick(ui->syncAtLogonBox, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ui->closeButton);
}

TEST_F(LayoutTest, AccessKeysMoveTheFocusOrPress) {
    MainForm& form = ShownForm();
    ui->delayField->setEnabled(true);
    const std::pair<Qt::Key, QWidget*> focusKeys[] = {{Qt::Key_G, ui->zoneList},
                                                      {Qt::Key_P, ui->portField},
                                                      {Qt::Key_D, ui->delayField},
                                                      {Qt::Key_S, ui->serverList}};
    for (auto [key, target] : focusKeys) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), target) << "Alt+" << char(key);
    }

    // A button's access key presses it the way a click does, after a short
    // animation, so the effects are awaited.
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui->syncAtLogonBox->checkState() == Qt::Checked; }));
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui->syncAtLogonBox->checkState() == Qt::Unchecked; }));

    int setPresses = 0;
    QObject::connect(ui->setClockButton, &QPushButton::clicked, [&] { ++setPresses; });
    QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(setPresses, 0) << "Alt+E must do nothing while the button is disabled";
}

TEST_F(LayoutTest, EnterAndKeypadEnterPressTheFocusedButtonAndEscCloses) {
    DaytimeTestServer server;
    MainForm& form = ShownForm(server.Port());
    form.servers.ServerHost[0] = "127.0.0.1";
    const std::pair<Qt::Key, Qt::KeyboardModifiers> enterKeys[] = {
        {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (auto [key, modifiers] : enterKeys) {
        const int connections = server.ConnectionCount();
        ui->retrieveButton->setFocus();
        QTest::keyClick(ui->retrieveButton, key, modifiers);
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.ConnectionCount() == connections + 1; }))
            << "Enter must start a retrieval";
    }
    int closePresses = 0;
    QObject::connect(ui->closeButton, &QPushButton::clicked, [&] { ++closePresses; });
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(closePresses, 1);
}

TEST_F(LayoutTest, PortFieldTakesFocusAndSelectionButNoEdits) {
    ShownForm();
    ui->portField->setFocus();
    ui->portField->selectAll();
    EXPECT_EQ(ui->portField->selectedText(), "13");
    QTest::keyClicks(ui->portField, "99");
    QTest::keyClick(ui->portField, Qt::Key_Delete);
    QTest::keyClick(ui->portField, Qt::Key_Backspace);
    QApplication::clipboard()->setText("8080");
    QTest::keyClick(ui->portField, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(ui->portField, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ui->portField->text(), "13");
}

}  // namespace
}  // namespace brisendale::testing

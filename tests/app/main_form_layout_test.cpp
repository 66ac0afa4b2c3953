// The window as it first appears: places and sizes, captions, tab order,
// access keys, and the fields that refuse edits.
#include "test_runtime.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brisendale::testing {
namespace {

class LayoutTest : public FormTest {
  protected:
    MainForm& ShownForm() {
        MainForm& form = MakeForm();
        form.showIfInteractive();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
};

TEST_F(LayoutTest, EveryControlSitsWhereTheLayoutPutsIt) {
    MainForm& form = MakeForm();
    struct Row {
        QWidget* control;
        QWidget* container;
        QRect pixels;  // the twips divided by 15
    };
    const Row rows[] = {
        {ui->serverFrame, &form, {8, 8, 385, 89}},
        {ui->serverCaption, ui->serverFrame, {16, 27, 41, 17}},
        {ui->serverList, ui->serverFrame, {80, 24, 289, 21}},
        {ui->zoneCaption, ui->serverFrame, {16, 51, 57, 17}},
        {ui->zoneList, ui->serverFrame, {80, 48, 145, 21}},
        {ui->portCaption, ui->serverFrame, {264, 51, 33, 17}},
        {ui->portField, ui->serverFrame, {304, 48, 65, 21}},
        {ui->retrieveButton, &form, {8, 112, 137, 25}},
        {ui->setClockButton, &form, {8, 144, 137, 25}},
        {ui->startupFrame, &form, {8, 184, 385, 81}},
        {ui->syncAtLogonBox, ui->startupFrame, {16, 24, 353, 17}},
        {ui->delayCaption, ui->startupFrame, {34, 52, 105, 17}},
        {ui->delayField, ui->startupFrame, {144, 48, 41, 21}},
        {ui->delayUnit, ui->startupFrame, {192, 52, 57, 17}},
        {ui->closeButton, &form, {304, 280, 89, 25}},
        {ui->timeCaption, &form, {152, 128, 241, 17}},
        {ui->timeLabel, &form, {152, 144, 241, 17}},
        {ui->icon, &form, {8, 279, 32, 32}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.control->geometry(), row.pixels) << row.control->metaObject()->className();
        EXPECT_EQ(row.control->parentWidget(), row.container);
    }
    EXPECT_EQ(ui->statusLabel->pos(), QPoint(56, 288));
}

TEST_F(LayoutTest, WindowHasFixedSizeCaptionAndIcon) {
    MainForm& form = MakeForm();
    EXPECT_EQ(form.windowTitle(), "Brisendale");
    EXPECT_EQ(form.size(), QSize(402, 314));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user must not resize the window";
    EXPECT_FALSE(form.windowIcon().isNull());
    const QList<QSize> sizes = form.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    ASSERT_FALSE(ui->icon->pixmap().isNull());
    EXPECT_EQ(ui->icon->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(ui->icon->toolTip().isEmpty());
    EXPECT_FALSE(ui->icon->toolTip().contains('\n'));
}

TEST_F(LayoutTest, CaptionsTipsAndInitialStates) {
    MakeForm();
    EXPECT_EQ(ui->serverFrame->title(), "Atomic Time Settings");
    EXPECT_EQ(ui->startupFrame->title(), "Startup Settings");
    EXPECT_EQ(ui->serverCaption->text(), "&Server:");
    EXPECT_EQ(ui->zoneCaption->text(), "&GMT Decal:");
    EXPECT_EQ(ui->portCaption->text(), "&Port:");
    EXPECT_EQ(ui->delayCaption->text(), "Syncronization &delay:");
    EXPECT_EQ(ui->delayUnit->text(), "(seconds)");
    EXPECT_EQ(ui->timeCaption->text(), "Atomic Time:");
    EXPECT_TRUE(ui->timeCaption->font().bold());
    EXPECT_TRUE(ui->timeCaption->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(ui->timeLabel->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(ui->timeLabel->text(), "(not retrieved)");
    EXPECT_EQ(ui->statusLabel->text(), "");
    EXPECT_EQ(ui->retrieveButton->text(), "&Retrieve Atomic Time");
    EXPECT_EQ(ui->retrieveButton->toolTip(), "Retreive the atomic time from the selected server");
    EXPECT_EQ(ui->setClockButton->text(), "S&et System Time");
    EXPECT_EQ(ui->setClockButton->toolTip(), "Change the system time to the atomic time");
    EXPECT_FALSE(ui->setClockButton->isEnabled());
    EXPECT_EQ(ui->closeButton->text(), "Close");
    EXPECT_EQ(ui->syncAtLogonBox->text(),
              "Sy&ncronize system time with the atomic clock on startup");
    EXPECT_EQ(ui->syncAtLogonBox->checkState(), Qt::Unchecked);
    EXPECT_EQ(ui->delayField->text(), "2");
    EXPECT_FALSE(ui->delayField->isEnabled());
    EXPECT_EQ(ui->delayField->maxLength(), 4);
    EXPECT_EQ(ui->portField->text(), "13");
    EXPECT_EQ(ui->portField->maxLength(), 5);
    EXPECT_EQ(ui->serverList->count(), 0);
    EXPECT_FALSE(ui->serverList->isEditable());
    EXPECT_FALSE(ui->zoneList->isEditable());
    EXPECT_EQ(ui->logonDelayTimer->interval(), 1000);
    EXPECT_FALSE(ui->logonDelayTimer->isActive());
    EXPECT_EQ(ui->daytimeConnection->RemotePort(), 13);
    EXPECT_EQ(ui->daytimeConnection->RemoteHost(), "");
}

TEST_F(LayoutTest, TabVisitsTheFieldsInOrderAndSkipsDisabledOnes) {
    ShownForm();
    ui->setClockButton->setEnabled(true);
    ui->delayField->setEnabled(true);
    const QWidget* expected[] = {ui->serverList,     ui->zoneList,       ui->portField,
                                 ui->retrieveButton, ui->setClockButton, ui->syncAtLogonBox,
                                 ui->delayField,     ui->closeButton,    ui->serverList};
    EXPECT_EQ(QApplication::focusWidget(), ui->serverList);
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

    int retrievePresses = 0;
    QObject::connect(ui->retrieveButton, &QPushButton::clicked, [&] { ++retrievePresses; });
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return retrievePresses == 1; }));

    int setPresses = 0;
    QObject::connect(ui->setClockButton, &QPushButton::clicked, [&] { ++setPresses; });
    QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(setPresses, 0) << "Alt+E must do nothing while the button is disabled";
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
    QTest::keyClick(ui->portField, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(ui->portField, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ui->portField->text(), "13");
}

TEST_F(LayoutTest, DelayFieldTakesAtMostFourCharacters) {
    ShownForm();
    ui->delayField->setEnabled(true);
    ui->delayField->setFocus();
    ui->delayField->selectAll();
    QTest::keyClicks(ui->delayField, "12345");
    EXPECT_EQ(ui->delayField->text(), "1234");
}

TEST_F(LayoutTest, StatusLineGrowsToTheRightWithoutWrapping) {
    MainForm& form = MakeForm();
    const QPoint corner = ui->statusLabel->pos();
    // With the lists still empty the server lookup fails, which ends on the
    // status line as a failed start.
    form.retrieveTime();
    EXPECT_EQ(ui->statusLabel->text(), "Status: Error Occurred.");
    EXPECT_EQ(ui->daytimeConnection->RemoteHost(), "");
    EXPECT_EQ(ui->statusLabel->pos(), corner);
    EXPECT_GE(ui->statusLabel->width(),
              ui->statusLabel->fontMetrics().horizontalAdvance(ui->statusLabel->text()));
    EXPECT_FALSE(ui->statusLabel->wordWrap());
}

TEST_F(LayoutTest, EscapePressesClose) {
    MainForm& form = ShownForm();
    int closePresses = 0;
    QObject::connect(ui->closeButton, &QPushButton::clicked, [&] { ++closePresses; });
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(closePresses, 1);
}

}  // namespace
}  // namespace brisendale::testing

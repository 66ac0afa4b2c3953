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
        form.ShowIfInteractive();
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
        {form.Frame1, &form, {8, 8, 385, 89}},
        {form.Label1, form.Frame1, {16, 27, 41, 17}},
        {form.cboServer, form.Frame1, {80, 24, 289, 21}},
        {form.Label2, form.Frame1, {16, 51, 57, 17}},
        {form.cboGMT, form.Frame1, {80, 48, 145, 21}},
        {form.Label3, form.Frame1, {264, 51, 33, 17}},
        {form.txtPort, form.Frame1, {304, 48, 65, 21}},
        {form.Command1, &form, {8, 112, 137, 25}},
        {form.Command3, &form, {8, 144, 137, 25}},
        {form.Frame2, &form, {8, 184, 385, 81}},
        {form.chkStartupSync, form.Frame2, {16, 24, 353, 17}},
        {form.Label5, form.Frame2, {34, 52, 105, 17}},
        {form.txtDelay, form.Frame2, {144, 48, 41, 21}},
        {form.Label6, form.Frame2, {192, 52, 57, 17}},
        {form.Command2, &form, {304, 280, 89, 25}},
        {form.Label4, &form, {152, 128, 241, 17}},
        {form.lblAtomicTime, &form, {152, 144, 241, 17}},
        {form.IconImg, &form, {8, 279, 32, 32}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.control->geometry(), row.pixels) << row.control->metaObject()->className();
        EXPECT_EQ(row.control->parentWidget(), row.container);
    }
    EXPECT_EQ(form.lblStatus->pos(), QPoint(56, 288));
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
    ASSERT_FALSE(form.IconImg->pixmap().isNull());
    EXPECT_EQ(form.IconImg->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(form.IconImg->toolTip().isEmpty());
    EXPECT_FALSE(form.IconImg->toolTip().contains('\n'));
}

TEST_F(LayoutTest, CaptionsTipsAndInitialStates) {
    MainForm& form = MakeForm();
    EXPECT_EQ(form.Frame1->title(), "Atomic Time Settings");
    EXPECT_EQ(form.Frame2->title(), "Startup Settings");
    EXPECT_EQ(form.Label1->text(), "&Server:");
    EXPECT_EQ(form.Label2->text(), "&GMT Decal:");
    EXPECT_EQ(form.Label3->text(), "&Port:");
    EXPECT_EQ(form.Label5->text(), "Syncronization &delay:");
    EXPECT_EQ(form.Label6->text(), "(seconds)");
    EXPECT_EQ(form.Label4->text(), "Atomic Time:");
    EXPECT_TRUE(form.Label4->font().bold());
    EXPECT_TRUE(form.Label4->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(form.lblAtomicTime->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(form.lblAtomicTime->text(), "(not retrieved)");
    EXPECT_EQ(form.lblStatus->text(), "");
    EXPECT_EQ(form.Command1->text(), "&Retrieve Atomic Time");
    EXPECT_EQ(form.Command1->toolTip(), "Retreive the atomic time from the selected server");
    EXPECT_EQ(form.Command3->text(), "S&et System Time");
    EXPECT_EQ(form.Command3->toolTip(), "Change the system time to the atomic time");
    EXPECT_FALSE(form.Command3->isEnabled());
    EXPECT_EQ(form.Command2->text(), "Close");
    EXPECT_EQ(form.chkStartupSync->text(),
              "Sy&ncronize system time with the atomic clock on startup");
    EXPECT_EQ(form.chkStartupSync->checkState(), Qt::Unchecked);
    EXPECT_EQ(form.txtDelay->text(), "2");
    EXPECT_FALSE(form.txtDelay->isEnabled());
    EXPECT_EQ(form.txtDelay->maxLength(), 4);
    EXPECT_EQ(form.txtPort->text(), "13");
    EXPECT_EQ(form.txtPort->maxLength(), 5);
    EXPECT_EQ(form.cboServer->count(), 0);
    EXPECT_FALSE(form.cboServer->isEditable());
    EXPECT_FALSE(form.cboGMT->isEditable());
    EXPECT_EQ(form.DelayTimer->interval(), 1000);
    EXPECT_FALSE(form.DelayTimer->isActive());
    EXPECT_EQ(form.WSTime->RemotePort(), 13);
    EXPECT_EQ(form.WSTime->RemoteHost(), "");
}

TEST_F(LayoutTest, TabVisitsTheFieldsInOrderAndSkipsDisabledOnes) {
    MainForm& form = ShownForm();
    form.Command3->setEnabled(true);
    form.txtDelay->setEnabled(true);
    const QWidget* expected[] = {form.cboServer, form.cboGMT,   form.txtPort,
                                 form.Command1,  form.Command3, form.chkStartupSync,
                                 form.txtDelay,  form.Command2, form.cboServer};
    EXPECT_EQ(QApplication::focusWidget(), form.cboServer);
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "after tab " << i;
    }
    form.Command3->setEnabled(false);
    form.txtDelay->setEnabled(false);
    form.Command1->setFocus();
    QTest::keyClick(form.Command1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.chkStartupSync);
    QTest::keyClick(form.chkStartupSync, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Command2);
}

TEST_F(LayoutTest, AccessKeysMoveTheFocusOrPress) {
    MainForm& form = ShownForm();
    form.txtDelay->setEnabled(true);
    const std::pair<Qt::Key, QWidget*> focusKeys[] = {{Qt::Key_G, form.cboGMT},
                                                      {Qt::Key_P, form.txtPort},
                                                      {Qt::Key_D, form.txtDelay},
                                                      {Qt::Key_S, form.cboServer}};
    for (auto [key, target] : focusKeys) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), target) << "Alt+" << char(key);
    }

    // A button's access key presses it the way a click does, after a short
    // animation, so the effects are awaited.
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.chkStartupSync->checkState() == Qt::Checked; }));
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form.chkStartupSync->checkState() == Qt::Unchecked; }));

    int retrievePresses = 0;
    QObject::connect(form.Command1, &QPushButton::clicked, [&] { ++retrievePresses; });
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return retrievePresses == 1; }));

    int setPresses = 0;
    QObject::connect(form.Command3, &QPushButton::clicked, [&] { ++setPresses; });
    QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(setPresses, 0) << "Alt+E must do nothing while the button is disabled";
}

TEST_F(LayoutTest, PortFieldTakesFocusAndSelectionButNoEdits) {
    MainForm& form = ShownForm();
    form.txtPort->setFocus();
    form.txtPort->selectAll();
    EXPECT_EQ(form.txtPort->selectedText(), "13");
    QTest::keyClicks(form.txtPort, "99");
    QTest::keyClick(form.txtPort, Qt::Key_Delete);
    QTest::keyClick(form.txtPort, Qt::Key_Backspace);
    QApplication::clipboard()->setText("8080");
    QTest::keyClick(form.txtPort, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form.txtPort, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(form.txtPort, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form.txtPort->text(), "13");
}

TEST_F(LayoutTest, DelayFieldTakesAtMostFourCharacters) {
    MainForm& form = ShownForm();
    form.txtDelay->setEnabled(true);
    form.txtDelay->setFocus();
    form.txtDelay->selectAll();
    QTest::keyClicks(form.txtDelay, "12345");
    EXPECT_EQ(form.txtDelay->text(), "1234");
}

TEST_F(LayoutTest, StatusLineGrowsToTheRightWithoutWrapping) {
    MainForm& form = MakeForm();
    const QPoint corner = form.lblStatus->pos();
    // With the lists still empty the server lookup fails, which ends on the
    // status line as a failed start.
    form.Command1_Click();
    EXPECT_EQ(form.lblStatus->text(), "Status: Error Occurred.");
    EXPECT_EQ(form.WSTime->RemoteHost(), "");
    EXPECT_EQ(form.lblStatus->pos(), corner);
    EXPECT_GE(form.lblStatus->width(),
              form.lblStatus->fontMetrics().horizontalAdvance(form.lblStatus->text()));
    EXPECT_FALSE(form.lblStatus->wordWrap());
}

TEST_F(LayoutTest, EscapePressesClose) {
    MainForm& form = ShownForm();
    int closePresses = 0;
    QObject::connect(form.Command2, &QPushButton::clicked, [&] { ++closePresses; });
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(closePresses, 1);
}

}  // namespace
}  // namespace brisendale::testing

// The delay field: what typing can put in, what leaving it writes back, and
// what counts as leaving it.
#include "test_runtime.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

namespace brisendale::testing {
namespace {

class DelayFieldTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        form = &MakeForm();
        form->startUp();
        form->showIfInteractive();
        Activate();
        ui->syncAtLogonBox->setCheckState(Qt::Checked);
        ui->delayField->setFocus();
        ui->delayField->clear();
    }

    void Activate() {
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    }

    MainForm* form = nullptr;
};

TEST_F(DelayFieldTest, OnlyDigitsAndBackspaceEnterByTyping) {
    QLineEdit* field = ui->delayField;
    QTest::keyClicks(field, "a -.x1");
    QTest::keyClick(field, Qt::Key_E, Qt::AltModifier);  // Set System Time is disabled
    QTest::keyClick(field, Qt::Key_X, Qt::AltModifier);
    QTest::keyClick(field, Qt::Key_Minus, Qt::AltModifier);
    QTest::keyClick(field, Qt::Key_3);
    QInputMethodEvent composed;
    composed.setCommitString("e4");
    QApplication::sendEvent(field, &composed);
    EXPECT_EQ(field->text(), "134");
    QTest::keyClicks(field, "56");
    EXPECT_EQ(field->text(), "1345") << "a fifth character is refused";
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "134");

    // Access keys still work from the field, and leaving it keeps the number.
    QTest::keyClick(field, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->zoneList);
    EXPECT_EQ(field->text(), "134");
}

TEST_F(DelayFieldTest, LeavingWritesTheWholeNumberAndClosingJudgesIt) {
    struct Row {
        const char* pasted;
        const char* shown;
        bool closes;
    };
    const Row rows[] = {{"", "0", false},
                        {"007", "7", true},
                        {"2.5", "2.5", true},
                        {"1e-5", "1E-05", false},
                        {"9e99", "9E+99", true}};
    for (const Row& row : rows) {
        ui->delayField->setFocus();
        ui->delayField->setText(row.pasted);
        ui->serverList->setFocus();
        EXPECT_EQ(ui->delayField->text(), row.shown);
        EXPECT_EQ(form->close(), row.closes) << row.pasted;
        Activate();
    }
    // The limit of four is back for typing.
    ui->delayField->setFocus();
    ui->delayField->selectAll();
    QTest::keyClicks(ui->delayField, "123456");
    EXPECT_EQ(ui->delayField->text(), "1234");
}

TEST_F(DelayFieldTest, AContextMenuOrAnotherWindowDoesNotLeaveTheField) {
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        ui->delayField->setText("2");
        ui->delayField->selectAll();
        QFocusEvent away(QEvent::FocusOut, reason);
        QApplication::sendEvent(ui->delayField, &away);
        QApplication::clipboard()->setText("13");
        ui->delayField->paste();  // what the context menu's Paste does
        EXPECT_EQ(ui->delayField->text(), "13") << reason;
    }
}

}  // namespace
}  // namespace brisendale::testing

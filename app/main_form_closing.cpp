// The delay field's coupling to the start-up check box, and the closing of the
// window, which checks the delay and saves the settings.
#include "app/main_form.h"

#include "platform/runtime/numeric_text.h"
#include "settings/stored_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace brisendale {

void MainForm::onSyncBoxChanged() {
    delayField_->setEnabled(syncAtLogonBox_->checkState() != Qt::Unchecked);
}

void MainForm::closeWindow() {
    close();  // runs saveSettingsOnClose through closeEvent
}

void MainForm::saveSettingsOnClose(bool& cancelClose) {
    const std::string delayText = delayField_->text().toStdString();
    if (NumericValue(delayText) < 1) {
        cancelClose = true;
        runtime_.ShowWarning(this, QStringLiteral("Enter a number greater than zero."));
        // A disabled field cannot take the focus; enable it so the user can
        // correct the delay right away.
        delayField_->setEnabled(true);
        delayField_->setFocus(Qt::OtherFocusReason);
        delayField_->setSelection(0, static_cast<int>(delayField_->text().size()));
        return;
    }
    int checkValue = 0;
    switch (syncAtLogonBox_->checkState()) {
        case Qt::Unchecked:
            checkValue = 0;
            break;
        case Qt::Checked:
            checkValue = 1;
            break;
        case Qt::PartiallyChecked:
            checkValue = 2;
            break;
    }
    SaveSettings(SettingsToSave{
        .serverIndex = static_cast<std::int16_t>(serverList_->currentIndex()),
        .zoneIndex = static_cast<std::int16_t>(zoneList_->currentIndex()),
        .delayText = delayText,
        .startupCheckValue = checkValue,
        .appFolder = runtime_.ApplicationFolder().toStdString(),
        .exeName = runtime_.ExecutableName().toStdString(),
    });
}

}  // namespace brisendale

// The delay field's input rules, its coupling to the start-up check box, and
// the closing of the window, which checks the delay and saves the settings.
#include "app/main_form.h"

#include "platform/runtime/numeric_text.h"
#include "settings/stored_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <cmath>
#include <cstdio>

namespace brisendale {
namespace {

constexpr std::int16_t kBackspace = 8;

// A number written back as text the way the runtime writes a double: whole
// numbers in plain digits, others in their shortest usual form.
QString NumberText(double value) {
    if (std::abs(value) < 1e15 && value == std::floor(value)) {
        return QString::number(static_cast<long long>(value));
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15G", value);
    return QString::fromLatin1(text);
}

}  // namespace

void MainForm::txtDelay_KeyPress(std::int16_t& keyAscii) {
    if (keyAscii != kBackspace && (keyAscii < '0' || keyAscii > '9'))
        keyAscii = 0;
}

void MainForm::txtDelay_LostFocus() {
    txtDelay->setText(NumberText(NumericValue(txtDelay->text().toStdString())));
}

void MainForm::chkStartupSync_Click() {
    txtDelay->setEnabled(chkStartupSync->checkState() != Qt::Unchecked);
}

void MainForm::Command2_Click() {
    close();  // raises Form_QueryUnload through closeEvent
}

void MainForm::Form_QueryUnload(std::int16_t& cancel, std::int16_t /*unloadMode*/) {
    const std::string delayText = txtDelay->text().toStdString();
    if (NumericValue(delayText) < 1) {
        cancel = -1;
        services_.runtime.ShowWarning(this, QStringLiteral("Enter a number greater than zero."));
        // A disabled field cannot take the focus; enable it so the user can
        // correct the delay right away.
        txtDelay->setEnabled(true);
        txtDelay->setFocus(Qt::OtherFocusReason);
        txtDelay->setSelection(0, static_cast<int>(txtDelay->text().size()));
        return;
    }
    int checkValue = 0;
    switch (chkStartupSync->checkState()) {
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
        .serverIndex = static_cast<std::int16_t>(cboServer->currentIndex()),
        .zoneIndex = static_cast<std::int16_t>(cboGMT->currentIndex()),
        .delayText = delayText,
        .startupCheckValue = checkValue,
        .appFolder = services_.runtime.ApplicationFolder().toStdString(),
        .exeName = services_.runtime.ExecutableName().toStdString(),
    });
}

}  // namespace brisendale

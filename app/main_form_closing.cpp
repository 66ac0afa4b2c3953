// The delay field's coupling to the start-up check box, and the closing of the
// window, which checks the delay and saves the settings.
#include "app/main_form.h"

#include "platform/runtime/numeric_text.h"
#include "platform/runtime/program_file.h"
#include "settings/stored_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

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
    const ProgramFile program = ThisProgramFile();
    const std::vector<SettingsProblem> problems = SaveSettings(SettingsToSave{
        .serverIndex = static_cast<std::int16_t>(serverList_->currentIndex()),
        .zoneIndex = static_cast<std::int16_t>(zoneList_->currentIndex()),
        .delayText = delayText,
        .syncAtLogon = syncAtLogonBox_->checkState() == Qt::Checked,
        .appFolder = program.folder,
        .exeName = program.name,
        .storeUnreadable = storeUnreadable_,
    });
    if (problems.empty())
        return;
    // The window closes all the same; what could not be kept is said once.
    QStringList texts;
    for (const SettingsProblem& problem : problems)
        texts << QString::fromStdString(DescribeSettingsProblem(problem));
    runtime_.ShowWarning(this, texts.join(QStringLiteral("\n\n")));
}

}  // namespace brisendale

// The start of the program: filling the lists, applying the stored settings,
// and deciding between an interactive window and the unattended logon run.
#include "app/main_form.h"

#include "platform/runtime/numeric_text.h"
#include "settings/stored_settings.h"
#include "timesync/zone_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace brisendale {

void MainForm::Form_Load() {
    Servers.Fill();
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        cboServer->insertItem(row, QString::fromStdString(Servers.DisplayString(row)));
    }
    for (const std::string& entry : ZoneEntries()) {
        cboGMT->addItem(QString::fromStdString(entry));
    }
    DelayTicks = 0;

    // Each selection raises its list's Click at once, which resets the shown
    // time and the status line.
    cboServer->setCurrentIndex(ReadServerIndex());
    cboGMT->setCurrentIndex(ReadZoneIndex());
    txtDelay->setText(QString::number(ReadDelay()));

    if (!ReadLogonEntryExists())
        return;
    chkStartupSync->setCheckState(Qt::Checked);  // raises chkStartupSync_Click
    // Only the exact switch of the logon entry starts the unattended run.
    if (services_.runtime.CommandLine() == QLatin1String("-startup")) {
        StartupMode = true;
        services_.runtime.SetUnattended(true);
        setVisible(false);
        DelayTimer->start();
    }
}

void MainForm::DelayTimer_Timer() {
    ++DelayTicks;
    if (NumericValue(txtDelay->text().toStdString()) == static_cast<double>(DelayTicks)) {
        DelayTimer->stop();
        Command1_Click();
    }
}

}  // namespace brisendale

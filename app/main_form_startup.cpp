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

void MainForm::loadSettings() {
    servers.Fill();
    for (std::int16_t row = 0; row < kServerCount; ++row) {
        serverList_->insertItem(row, QString::fromStdString(servers.DisplayString(row)));
    }
    for (const std::string& entry : ZoneEntries()) {
        zoneList_->addItem(QString::fromStdString(entry));
    }
    delayTicks = 0;

    // Each selection runs its list's handler at once, which resets the shown
    // time and the status line.
    serverList_->setCurrentIndex(ReadServerIndex());
    zoneList_->setCurrentIndex(ReadZoneIndex());
    delayField_->setText(QString::number(ReadDelay()));

    if (!ReadLogonEntryExists())
        return;
    syncAtLogonBox_->setCheckState(Qt::Checked);  // enables the delay field at once
    // Only the exact switch of the logon entry starts the unattended run.
    if (services_.runtime.CommandLine() == QLatin1String("-startup")) {
        logonRun = true;
        services_.runtime.SetUnattended(true);
        setVisible(false);
        logonDelayTimer_->start();
    }
}

void MainForm::onDelayTick() {
    ++delayTicks;
    if (NumericValue(delayField_->text().toStdString()) == static_cast<double>(delayTicks)) {
        logonDelayTimer_->stop();
        retrieveTime();
    }
}

}  // namespace brisendale

// The start of the window: filling the lists and applying the stored settings.
#include "app/main_form.h"

#include "settings/stored_settings.h"
#include "timesync/server_table.h"
#include "timesync/zone_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace brisendale {

void MainForm::loadSettings() {
    for (int row = 0; row < kServerCount; ++row) {
        serverList_->insertItem(row, QString::fromStdString(DisplayString(*ServerAt(row))));
    }
    for (const std::string& entry : ZoneEntries()) {
        zoneList_->addItem(QString::fromStdString(entry));
    }

    // Each selection runs its list's handler at once, which resets the shown
    // time and the status line.
    serverList_->setCurrentIndex(ReadServerIndex());
    zoneList_->setCurrentIndex(ReadZoneIndex());
    delayField_->setText(QString::number(ReadDelay()));

    if (!ReadLogonEntryExists())
        return;
    syncAtLogonBox_->setCheckState(Qt::Checked);  // enables the delay field at once
}

}  // namespace brisendale

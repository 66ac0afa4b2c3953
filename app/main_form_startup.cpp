// The start of the window: filling the lists and applying the stored settings.
#include "app/main_form.h"

#include "settings/stored_settings.h"
#include "sync/computer_zone.h"
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

    // On a first start the zone is the computer's own, where the list has it.
    const LoadedSettings stored = LoadSettings(static_cast<std::int16_t>(ZoneIndexOfComputer(7)));
    // Each selection runs its list's handler at once, which resets the shown
    // time and the status line.
    serverList_->setCurrentIndex(stored.serverIndex);
    zoneList_->setCurrentIndex(stored.zoneIndex);
    delayField_->setText(QString::number(stored.delay));
    if (stored.logonEntryExists)
        syncAtLogonBox_->setCheckState(Qt::Checked);  // enables the delay field at once
    if (stored.unreadableStore) {
        // Said once the window is there; closing does not write over that store.
        storeUnreadable_ = true;
        startWarning_ = QString::fromStdString(DescribeSettingsProblem(*stored.unreadableStore));
    }
}

}  // namespace brisendale

// The roll-call window: calls every member by name, stores each mark in
// qiandao and writes the day's attendance report once the list is done.
#pragma once

#include <QDate>
#include <QString>

#include "assocman/forms/rollcall_names.h"

namespace rollcall {

// Registers the window's handlers under the names its description uses.
void register_rollcall_handlers();

// Where the attendance report of `day` goes: usertext/ in `program_folder`,
// named after the day without leading zeros ("2026年1月5日.txt").
QString report_path(QString program_folder, const QDate& day);

}  // namespace rollcall

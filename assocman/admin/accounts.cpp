#include "assocman/admin/accounts.h"

#include "assocman/state/state.h"
#include "core/digest.h"
#include "core/wipe.h"
#include "platform/db/db.h"
#include "platform/ui/runtime.h"

namespace admin {

void connect_window_database(const QString& window, const QString& connection_unit)
{
    db::Connection* connection = ui::connection(window, connection_unit);
    if (connection) app::connect_program_database(*connection);
}

void open_admin_table(const QString& window, const QString& connection_unit, const QString& recordset_unit)
{
    db::Connection* connection = ui::connection(window, connection_unit);
    db::RecordSet* records = ui::recordset(window, recordset_unit);
    if (!connection || !records) return;
    db::recordset_set_connection(*records, *connection);
    db::recordset_open(*records, kAdminTable, db::kTable);
}

TableState reopen_admin_table_if_closed(const QString& window, const QString& connection_unit,
                                        const QString& recordset_unit)
{
    db::RecordSet* records = ui::recordset(window, recordset_unit);
    if (records && db::record_count(*records) >= 0) return TableState::open;
    // Without a connection there is nothing to read; its failure was told
    // when the window opened.
    db::Connection* connection = ui::connection(window, connection_unit);
    if (!connection || !connection->is_open()) return TableState::unreadable;
    open_admin_table(window, connection_unit, recordset_unit);
    records = ui::recordset(window, recordset_unit);
    return records && db::record_count(*records) >= 0 ? TableState::reopened : TableState::unreadable;
}

bool find_account_row(db::RecordSet& records, const std::string& name,
                      const std::function<bool(db::RecordSet&)>& also)
{
    db::recordset_move_first(records);
    const int rows = db::record_count(records);
    for (int row = 0; row < rows; ++row) {
        std::string adminname;
        db::recordset_read_text(records, "adminname", adminname);
        if (adminname == name && also(records)) return true;
        db::recordset_move_next(records);
    }
    return false;
}

std::string digest_of(const QString& password)
{
    std::string bytes = password.toStdString();
    std::string digest = assoc::password_digest(bytes);
    assoc::secure_wipe(bytes);
    return digest;
}

}  // namespace admin

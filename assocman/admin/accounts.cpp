#include "assocman/admin/accounts.h"

#include "assocman/state/state.h"
#include "core/digest.h"
#include "platform/db/db.h"
#include "platform/secure/wipe.h"
#include "platform/ui/runtime.h"

namespace admin {

void connect_window_database(const QString& window, const QString& connection_unit)
{
    db::Connection* connection = ui::connection(window, connection_unit);
    // Left to the record set: its opening reports a connection that failed.
    if (connection) (void)app::connect_program_database(*connection);
}

void open_admin_table(const QString& window, const QString& connection_unit, const QString& recordset_unit)
{
    db::Connection* connection = ui::connection(window, connection_unit);
    db::RecordSet* records = ui::recordset(window, recordset_unit);
    if (!connection || !records) return;
    db::recordset_set_connection(*records, *connection);
    // A failed open has shown the engine's error and leaves the set closed,
    // which the callers read from its row count.
    (void)db::recordset_open(*records, kAdminTable, db::Source::table);
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
    // Nothing is pending on these rows (a write that failed is dropped by
    // reopening the table), so the walk visits every row; a field that
    // cannot be read is the empty text, which names no account.
    return db::find_row(records, [&](db::RecordSet& row) {
        std::string adminname;
        (void)db::recordset_read_text(row, "adminname", adminname);
        return adminname == name && also(row);
    });
}

std::string digest_of(const QString& password)
{
    std::string bytes = password.toStdString();
    std::string digest = assoc::password_digest(bytes);
    secure::wipe(bytes);
    return digest;
}

}  // namespace admin

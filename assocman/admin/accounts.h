// What the two account windows share: their own connection to the
// association's database, their record set on `adminuser`, and the digest of
// a typed password.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace db {
class RecordSet;
}

namespace admin {

inline constexpr const char* kAdminTable = "adminuser";
inline constexpr const char* kSuperAdmin = "超级管理员";
inline constexpr const char* kOrdinaryAdmin = "普通管理员";

// Connects the window's connection unit to usertext/causercount.mdb with the
// deciphered database password. Like every feature window, the outcome is
// left to the record set, whose opening reports a failed connection.
void connect_window_database(const QString& window, const QString& connection_unit);

// Binds the window's record set to its connection and opens it on
// `adminuser` by name. Also used to drop writes that could not be saved, so
// the next click starts from what the file really holds.
void open_admin_table(const QString& window, const QString& connection_unit, const QString& recordset_unit);

enum class TableState { open, reopened, unreadable };

// Run at the start of a click: a set left closed by a read that failed
// (another program held the database) is opened again, so that failure does
// not stick to the window. `unreadable` when it cannot be read now; the
// engine's error has then been shown (unless the window has no connection at
// all), and the window may be gone.
TableState reopen_admin_table_if_closed(const QString& window, const QString& connection_unit,
                                        const QString& recordset_unit);

// Walks the accounts from the first row, as each check of these windows
// does, and stops on the first row whose `adminname` is `name` and for which
// `also` holds (it reads whatever else it needs from that row). False, and
// the set past its rows, when no row qualifies.
bool find_account_row(db::RecordSet& records, const std::string& name,
                      const std::function<bool(db::RecordSet&)>& also);

// The stored form of a typed password; the temporary copy of the password is
// wiped.
std::string digest_of(const QString& password);

void register_password_change_handlers();
void register_new_admin_handlers();

}  // namespace admin

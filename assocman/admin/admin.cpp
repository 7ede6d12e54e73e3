#include "assocman/admin/admin.h"

#include "assocman/admin/accounts.h"

namespace admin {

void register_admin_handlers()
{
    register_password_change_handlers();
    register_new_admin_handlers();
}

}  // namespace admin

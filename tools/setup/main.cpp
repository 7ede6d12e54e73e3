// assocman-setup <program-folder>
#include <cstdio>

#include "platform/secure/wipe.h"
#include "tools/setup/setup.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "用法：assocman-setup <程序文件夹>\n");
        return 2;
    }
    setup::Result result = setup::run_setup(argv[1]);
    switch (result.outcome) {
        case setup::Outcome::exists:
            std::printf("%s 已存在，未做任何改动。\n", result.folder.c_str());
            return 0;
        case setup::Outcome::created:
            std::printf(
                "已创建 %s\n"
                "管理员账号：%s\n"
                "初始密码：%s\n"
                "请登录后立即在菜单“管理设置 > 密码修改”中修改密码。\n"
                "数据库密码（只显示这一次，更换数据库密码时需要，请妥善保管）：%s\n",
                result.folder.c_str(), setup::kAdminName, setup::kAdminPassword,
                result.database_password.c_str());
            secure::wipe(result.database_password);
            return 0;
        case setup::Outcome::failed:
            break;
    }
    std::fprintf(stderr, "初始化失败：%s\n", result.error.c_str());
    return 1;
}

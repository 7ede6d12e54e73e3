#include "cipherkey/cipherkey.h"

#include <QByteArray>
#include <string>
#include <string_view>

#include "core/cipher.h"
#include "platform/secure/wipe.h"
#include "platform/text/gbk.h"
#include "platform/ui/desktop.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace cipherkey {
namespace {

namespace names = forms::cipherkey;

// How long the "copied" hint stays up before the focus goes back.
constexpr int kHintMilliseconds = 1000;

void wipe(QString& secret)
{
    secret.fill(QChar(u'\0'));
    secret.clear();
}

void on_created() { ui::apply_xp_style(2); }

void on_generate()
{
    // Only a box without any character counts as empty: a password of spaces
    // is a password like any other.
    QString typed = ui::text(names::window, names::编辑框原密码);
    if (typed.isEmpty()) {
        ui::message_box(QStringLiteral("请输入数据库原密码！"), ui::Buttons::ok, ui::Icon::information,
                        QStringLiteral("MorvainTarnwick"));
        ui::set_focus(names::window, names::编辑框原密码);
        return;
    }

    // The main program reads the deciphered bytes back as GBK text, so the
    // bytes enciphered here must be the GBK ones, not the UTF-8 ones.
    QByteArray utf8 = typed.toUtf8();
    std::string bytes = text::to_gbk(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    const std::string ciphertext = assoc::encodebin(bytes, assoc::kKeyText, assoc::kDesAlgorithm);
    secure::wipe(bytes);
    utf8.fill('\0');
    wipe(typed);

    ui::set_text(names::window, names::编辑框数据库密文,
                 QString::fromLatin1(ciphertext.data(), qsizetype(ciphertext.size())));
}

void on_copy()
{
    // The box may have been edited by hand; what it shows is what is copied.
    const QString ciphertext = ui::text(names::window, names::编辑框数据库密文);
    if (ciphertext.isEmpty()) return;

    if (ui::set_clipboard_text(ciphertext)) ui::set_visible(names::window, names::透明标签提示, true);

    ui::wait_processing_events(kHintMilliseconds);

    // The operator may have closed the window while the hint was up; then
    // there is nothing left to put back.
    if (!ui::is_window_open(names::window)) return;
    ui::set_focus(names::window, names::编辑框原密码);
    ui::set_visible(names::window, names::透明标签提示, false);
}

}  // namespace

void register_cipherkey_handlers()
{
    ui::register_handler(forms::cipherkey::handler::on_created, on_created);
    ui::register_handler(forms::cipherkey::handler::on_generate, on_generate);
    ui::register_handler(forms::cipherkey::handler::on_copy, on_copy);
}

}  // namespace cipherkey

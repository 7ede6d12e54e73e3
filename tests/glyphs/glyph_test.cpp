// Loads every description of both programs (linked into this binary), opens
// each window with do-nothing handlers and checks that every caption, text and
// menu entry is drawn with a Simplified Chinese font that has all its glyphs.
// Leaves a screenshot of each window in the build folder. Needs a real display
// (Xvfb), where the fonts are those the user will see.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenuBar>
#include <QRawFont>

#include "platform/ui/description.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/require_x11.h"

namespace {

const QStringList kFamilies = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("AR PL UKai CN")};

// Resource folders that hold descriptions, one a program.
QStringList description_folders()
{
    QStringList folders;
    QDirIterator it(QStringLiteral(":/"), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString dir = it.next();
        if (dir.startsWith(QStringLiteral(":/qt-project.org"))) continue;
        if (!QDir(dir).entryList({QStringLiteral("*.json")}, QDir::Files).isEmpty()) folders.append(dir);
    }
    folders.sort();
    return folders;
}

void expect_glyphs(const QString& where, const QString& text, const QFont& font)
{
    if (text.isEmpty()) return;
    const QFontInfo info(font);
    EXPECT_TRUE(kFamilies.contains(info.family()))
        << where.toStdString() << ": drawn with " << info.family().toStdString();
    const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
    const QFontMetrics metrics(font);
    for (char32_t ucs4 : text.toUcs4()) {
        if (QChar::isSpace(ucs4) || QChar::category(ucs4) == QChar::Other_Control) continue;
        EXPECT_TRUE(raw.supportsCharacter(ucs4) && metrics.inFontUcs4(ucs4))
            << where.toStdString() << ": no glyph for U+" << std::hex << static_cast<unsigned>(ucs4)
            << " in \"" << text.toStdString() << "\" (" << info.family().toStdString() << ")";
    }
}

TEST(Glyphs, EveryDescribedTextHasItsGlyphs)
{
    ASSOCMAN_REQUIRE_X11_OR_SKIP(test_support::display_set(), "needs a display; run under Xvfb");
    static int argc = 1;
    static char name[] = "glyph_tests";
    static char* argv[] = {name, nullptr};
    ui::start_runtime(argc, argv);
    ui::reset_for_tests();
    ui::presenter::set_scripted(true);
    ui::set_exit_hook([](int) {});

    const QStringList folders = description_folders();
    ASSERT_FALSE(folders.isEmpty()) << "no descriptions linked in";
    for (const QString& folder : folders) {
        QString error;
        ASSERT_TRUE(ui::load_descriptions(folder, &error, /*stub_handlers=*/true)) << error.toStdString();
    }

    // The windows' own creation handlers would apply it; they are stubs here.
    ui::apply_xp_style(2);
    const QString artifacts = QStringLiteral(GLYPH_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    for (const QString& window : ui::description_names()) {
        SCOPED_TRACE(window.toStdString());
        ASSERT_TRUE(ui::load_window(window));
        const ui::detail::WindowDescPtr desc = ui::detail::find_description(window);
        ASSERT_TRUE(desc);
        QWidget* w = ui::window_widget(window);
        if (!w) continue;  // a stub created handler cannot close it, but be safe
        expect_glyphs(window + " title", ui::caption(window), QApplication::font());
        for (const ui::detail::MenuDesc& menu : desc->menus) {
            expect_glyphs(window + " menu", menu.caption, QApplication::font(w->findChild<QMenuBar*>()));
            for (const ui::detail::MenuItemDesc& item : menu.items) {
                expect_glyphs(window + " menu item", item.caption, QApplication::font("QMenu"));
            }
        }
        for (const ui::detail::ControlDesc& c : desc->controls) {
            QWidget* cw = ui::control_widget(window, c.name);
            const QFont font = cw ? cw->font() : QApplication::font();
            const QString where = window + "/" + c.name;
            expect_glyphs(where, c.text, font);
            expect_glyphs(where, c.tip, QApplication::font());
            for (const QString& item : c.items) expect_glyphs(where, item, font);
            for (const ui::detail::ColumnDesc& col : c.columns) expect_glyphs(where, col.title, font);
        }
        EXPECT_TRUE(w->grab().save(QDir(artifacts).filePath(window + QStringLiteral(".png"))));
        ui::destroy_window_or_unit(window);
        QCoreApplication::processEvents();
    }
    ui::reset_for_tests();
}

}  // namespace

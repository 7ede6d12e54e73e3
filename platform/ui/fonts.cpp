#include "platform/ui/fonts.h"

#include <fontconfig/fontconfig.h>

namespace ui::detail {

QString family_for_face(const QString& face)
{
    // 楷 before 宋: no face carries both, but the brush style decides first.
    if (face.contains(QStringLiteral("楷"))) return QString::fromLatin1(kKaiFamily);
    if (face.contains(QStringLiteral("宋"))) return QString::fromLatin1(kSerifFamily);
    return QString::fromLatin1(kSansFamily);
}

QFont description_font(const FontDesc& desc)
{
    QFont font(family_for_face(desc.face));
    font.setPixelSize(desc.height > 0 ? desc.height : kDefaultPixelSize);
    font.setWeight(static_cast<QFont::Weight>(desc.weight));
    return font;
}

QFont default_font()
{
    QFont font(QString::fromLatin1(kSansFamily));
    font.setPixelSize(kDefaultPixelSize);
    return font;
}

void install_font_substitutions()
{
    const QStringList song = {
        QStringLiteral("宋体"),     QStringLiteral("新宋体"), QStringLiteral("宋体-方正超大字符集"),
        QStringLiteral("华文中宋"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")};
    for (const QString& face : song) QFont::insertSubstitution(face, QString::fromLatin1(kSerifFamily));
    const QStringList kai = {QStringLiteral("楷体_GB2312"), QStringLiteral("楷体"), QStringLiteral("KaiTi")};
    for (const QString& face : kai) QFont::insertSubstitution(face, QString::fromLatin1(kKaiFamily));
    const QStringList sans = {QStringLiteral("黑体"), QStringLiteral("微软雅黑"),
                              QStringLiteral("MS Shell Dlg"), QStringLiteral("MS Shell Dlg 2"),
                              QStringLiteral("Tahoma")};
    for (const QString& face : sans) QFont::insertSubstitution(face, QString::fromLatin1(kSansFamily));
}

void read_font_configuration()
{
    // Should it fail, Qt reads the configuration itself, as it would.
    (void)FcInit();
}

}  // namespace ui::detail

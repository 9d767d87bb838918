// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfont.h"

#include <QFontDatabase>

namespace {

constexpr int PointSize = 9;

} // namespace

QString windowFontFamily(const QStringList &cyrillicFamilies, const QStringList &fallbacks)
{
    QStringList wanted{QStringLiteral("Tahoma")};
    wanted += fallbacks;
    for (const QString &family : wanted) {
        if (cyrillicFamilies.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return {};
}

QFont windowFont()
{
    QFont font;
    const QString family =
        windowFontFamily(QFontDatabase::families(QFontDatabase::Cyrillic),
                         {QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                          QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                          QStringLiteral("Liberation Sans")});
    if (!family.isEmpty())
        font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(PointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

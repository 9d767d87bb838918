// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The window's font: Tahoma 9 pt where it is installed, otherwise the first of `fallbacks` that
// has Cyrillic glyphs.
QFont windowFont();

// The family to use among those with Cyrillic glyphs: Tahoma, else the first fallback present;
// the empty text when none is.
QString windowFontFamily(const QStringList &cyrillicFamilies, const QStringList &fallbacks);

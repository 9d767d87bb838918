// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The most characters a title keeps.
inline constexpr qsizetype MaxTitleCharacters = 255;

// A note's title, wherever a format needs one: the body's first line with more than white space
// in it, trimmed and cut at MaxTitleCharacters characters (a character outside the BMP counts
// once and is never cut in two); the name of the note's file without its extension when the
// body has no such line.
QString noteTitle(const QString &body, const QString &path);

// The name of the file at `path` without its last extension: "memo12" for ".../memo12.vnt". A
// name whose only dot is its first character keeps it.
QString fileStem(const QString &path);

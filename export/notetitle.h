// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

struct ExportedNote;

// The most characters a title keeps.
inline constexpr qsizetype MaxTitleCharacters = 255;

// A note's title, one rule for every format that names a note: in the body, the control
// characters other than the line ends, U+0085, U+2028, U+2029 and U+FEFF become blanks; then the
// first line that is not blank is taken, cut at MaxTitleCharacters characters (a character
// outside the BMP counts once and is never cut in two) and trimmed. When that leaves nothing, the
// name of the note's file without its extension, taken by the same rule; "Заметка" when that
// leaves nothing either. So a title never holds a line break or a control character, and never
// starts or ends with a blank.
QString noteTitle(QStringView body, const QString &path);

// `text` by the title's rule for a line: its control characters, U+2028, U+2029 and U+FEFF as
// blanks, cut at `characters` characters, then trimmed.
QString titleText(QStringView text, qsizetype characters);

// The same for a body kept as UTF-8 octets, decoding no more of them than the title needs.
QString noteTitleOfOctets(QByteArrayView body, const QString &path);

// The title of `note`, whichever way its body was kept.
QString noteTitle(const ExportedNote &note);

// The name of the file at `path` without its last extension: "memo12" for ".../memo12.vnt". A
// name whose only dot is its first character keeps it.
QString fileStem(const QString &path);

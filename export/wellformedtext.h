// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// `text` with every surrogate that has no partner replaced by U+FFFD: the octet of a file name
// that is not UTF-8 (see qvFileNameToText), or what a broken charset decodes to. UTF-8 cannot
// hold such a unit, and Qt would write it as "?", which a reader of Markdown or YAML may take
// for markup. Every writer of UTF-8 text for another program calls this on the note's texts
// before escaping them; the text format and JSON write such units as escapes instead. Text
// without any comes back shared, not copied.
QString wellFormedText(QString text);

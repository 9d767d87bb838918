// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// `text` as a YAML scalar that reads back as exactly that string: plain where YAML takes it as
// it is, double-quoted with escapes wherever it would otherwise read as something else (a key
// and value, a comment, a number, a date, a Boolean, null, a merge key) or could not hold it
// (line breaks, control characters, leading or trailing blanks, U+FEFF). A lone surrogate, which
// no YAML string can hold, becomes U+FFFD (see wellFormedText).
QString yamlScalar(QStringView text);

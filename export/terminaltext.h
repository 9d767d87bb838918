// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringView>

// Text as UTF-8 that a terminal shows without acting on it: control characters other than tab
// and line ends (LF, CR LF), DEL and the C1 controls are written as escapes (\x1B, \x7F,
// \u009B), and so are a lone CR and lone surrogates; an octet of a file name that is not
// UTF-8 (see qvFileNameToText) as \xHH.
QByteArray toTerminalText(QStringView text);

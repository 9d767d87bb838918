// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// A note's body as Markdown that shows the same text: its lines as lines (each line end, CR LF,
// LF or a lone CR, written as LF), with a backslash before a character only where CommonMark,
// GitHub's tables and strikethrough, or the $ math of Obsidian and Joplin would otherwise turn
// it into markup:
// - at the start of a line: a heading's #, a quote's >, a list's -, + or * and a numbered
//   list's . or ), a fence's ``` or ~~~, a rule or heading underline of -, =, * or _;
// - in a line shaped like a table's delimiter row, each |;
// - anywhere: ` always; *, _, ~ and $ where they could open or close emphasis, strikethrough
//   or math (not between two blanks, and _ not inside a word); [ where a ] follows it; < before
//   a letter, /, ! or ? (a tag, comment or link); & that starts a character reference; \ before
//   punctuation or at the end of a line.
// Indentation, blanks and all other characters are kept as they are.
QString markdownText(QStringView body);

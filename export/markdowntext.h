// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// A note's body as Markdown that a renderer shows as the same lines of text, nothing else:
// - each line end (CR LF, LF or a lone CR) is written as LF; a line followed by one that is not
//   blank ends in a backslash, a hard break, so that the renderer breaks the line there too;
//   blank lines are written as they are (a renderer shows a run of them as one gap);
// - the blanks and tabs that start a line are written as no-break spaces (a tab as four), which
//   show the indentation and never start a code block;
// - a backslash goes before a character only where CommonMark, GitHub's tables and
//   strikethrough, or the extensions of Obsidian and Joplin would otherwise make markup of it:
//   - at the start of a line: a heading's #, a quote's >, a list's -, + or * and a numbered
//     list's . or ), a fence's ``` or ~~~, a rule or heading underline of -, =, * or _;
//   - in a line shaped like a table's delimiter row, each |;
//   - anywhere: ` always; *, _, ~ and $ where they could open or close emphasis,
//     strikethrough or math (not between two blanks, and _ not inside a word); [ where a ]
//     follows it (so [[ too); < before a letter, /, !, ? (a tag, comment or link); & that
//     starts a character reference; \ before punctuation or at the end of a line; = and % next
//     to another of their kind (==highlight==, %%comment%%); # that starts a word (#tag).
// Other characters are kept as they are; a bare web address stays one that renderers link.
QString markdownText(QStringView body);

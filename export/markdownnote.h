// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <QByteArray>

#include <memory>

// A note as one Markdown document in UTF-8: YAML front matter with its title (see noteTitle),
// its stamps as "created" and "updated" (UTC, "2013-04-03T00:19:40Z"; each left out when the
// note has no such stamp) and "source", the note file's name; then an empty line and the body
// (see markdownText), ending in a line end. A surrogate without its partner, in any of them, is
// written as U+FFFD (see wellFormedText).
QByteArray markdownNote(const ExportedNote &note);

// Markdown: a document per accepted note (markdownNote), an empty line between documents.
std::unique_ptr<NoteFormat> markdownFormat();

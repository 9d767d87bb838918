// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <memory>

// One table (RFC 4180) in UTF-8 with a byte-order mark, which spreadsheets need to read it as
// UTF-8, holding every accepted note; with none, nothing, not even the header. Columns: "file",
// "index" (the note's position in its file, from 1), "title" (see noteTitle), "created_utc",
// "modified_utc" (2013-04-03T00:19:40Z, or empty) and "body", each record ending in CR LF and
// the texts quoted, their line breaks inside. A text that starts with =, +, -, @, a tab or a CR
// gets an apostrophe before it, so that a spreadsheet never runs a note as a formula.
std::unique_ptr<NoteFormat> csvFormat();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <memory>

// JSON, every string exact: an object per note with the keys "file", "index" (when `withIndex`:
// the note's position in its file), "accepted", "title" (the window's), "version", "created",
// "modified", "body", "error", "created_utc", "modified_utc" (UTC, or null) and "note_title"
// (see noteTitle). jsonFormat writes one array of them, jsonlFormat one object per line; a
// note's own file holds its object alone.
std::unique_ptr<NoteFormat> jsonFormat(bool withIndex);
std::unique_ptr<NoteFormat> jsonlFormat(bool withIndex);

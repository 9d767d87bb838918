// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

// One Evernote export document (ENEX) in UTF-8 holding every accepted note; with none, nothing.
// The opening is the XML declaration, the document type and the root element `en-export` with
// the attributes `export-date` (the moment given, in UTC), `application` and `version`. Each
// note's `note` element holds its `title` (see noteTitle), its `content` (a CDATA section holding
// an en-note document: one `div` for each line of the body, its blanks kept visible (see
// visibleBlanks), an empty line as `<div><br/></div>`), its `created` and `updated` stamps
// (yyyymmddThhmmssZ; `updated` is `created` when the note has only that one; each left out when
// it has none), its folder as a `tag` (see enexTag) and its file's name as the `source` of its
// `note-attributes`.
std::unique_ptr<NoteFormat> enexFormat(const QDateTime &exportDate, const QString &application,
                                       const QString &version);

// The tag that names a note's folder (see ExportedNote::folder): "/" kept, commas and control
// characters as blanks, cut at 100 characters, trimmed; empty for none.
QString enexTag(const QString &folder);

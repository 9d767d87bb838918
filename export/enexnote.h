// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteexport.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

// One Evernote export document (ENEX) in UTF-8, written a note at a time: the opening, then
// each note's part in order, then the closing.

// The XML declaration, the document type and the root element `en-export` with the attributes
// `export-date` (the moment given, in UTC), `application` and `version`.
QByteArray enexOpening(const QDateTime &exportDate, const QString &application,
                       const QString &version);

// The note's `note` element: its `title`, its `content` (a CDATA section holding an en-note
// document: one `div` for each line of the body, an empty line as `<div><br/></div>`), its
// `created` and `updated` stamps (yyyymmddThhmmssZ; each left out when the note has no such
// stamp) and its file's name as the `source` of its `note-attributes`.
QByteArray enexNote(const ExportedNote &note);

QByteArray enexClosing();

// `text` with every character that XML 1.0 cannot hold (the controls other than tab, LF and
// CR, U+FFFE, U+FFFF and unpaired surrogates) replaced by U+FFFD.
QString xmlSafeText(QStringView text);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "messagesink.h"
#include "noteview.h"

#include <QByteArrayView>
#include <QList>

// A note file read leniently: every note of the file, each as the viewer would show it.
struct LenientReading
{
    bool accepted = false;
    QList<NoteView> notes; // in file order; the titles are left alone
};

// Reads a note file's bytes in the layouts that phones and other programs write (vCard 2.1
// content lines; any parameter order and letter case; quoted-printable, BASE64, 8BIT or no
// encoding; any charset ICU knows; folded lines; several notes in one file). Each note gets the
// version (trimmed, upper-cased), the two stamps (see ShowUtcStamp) and the body: the first BODY,
// else the first NOTE, else the first SUMMARY; of the others, the last occurrence counts. A file
// whose first non-blank line is not BEGIN:VNOTE, or whose last is not END:VNOTE, is rejected
// with the strict reading's message for it.
LenientReading ReadNotesLenient(QByteArrayView bytes, const DateDisplay &display,
                                MessageSink &messages);

// Whether a note of the file, read leniently, has a body with more than white space in it:
// what the viewer needs to tell that a note it shows empty holds text in another layout.
bool HoldsNoteText(QByteArrayView bytes);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

// A UTC moment as machines read it: "2013-04-03T00:19:40Z". The empty text for an invalid moment.
QString isoUtcText(const QDateTime &moment);

// The same in the compact form of Evernote's export files: "20130403T001940Z".
QString compactUtcText(const QDateTime &moment);

// The room that writeIsoUtcText needs.
constexpr int UtcTextRoom = 20;

// Writes isoUtcText's text as bytes to `out`, which has UtcTextRoom bytes of room; returns where
// it ends.
char *writeIsoUtcText(const QDateTime &moment, char *out);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <memory>

// One self-contained HTML document in UTF-8 to read or print, holding every accepted note; with
// none, nothing. It is also well-formed XML, with no script and nothing loaded from elsewhere;
// its <title> is "Заметки", or the note's title when it holds one note. Each note is an
// <article>: a heading with its title (see noteTitle), its dates as the window shows them
// ("Создан:", "Изменён:"), its file's name, and a <div> for each line of its body with its blanks
// kept visible (see visibleBlanks). Every character of the note is written as text.
std::unique_ptr<NoteFormat> htmlFormat();

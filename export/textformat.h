// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteformat.h"

#include <memory>

// A readable block per note with the window's labels, safe to show in a terminal (see
// toTerminalText): "== FILE ==", the window title, "Версия:", "Создан:", "Изменён:" and the
// body; a rejected note's block holds its message instead. An empty line between blocks.
std::unique_ptr<NoteFormat> textFormat();

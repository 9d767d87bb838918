// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class frmMain;

// Start-up: prepares the process and shows the main window without waiting for it. The event
// loop runs after it returns.
void Main();

// The main window, from Main until EndMain; null outside that time.
frmMain *MainForm();

// Releases the main window once the event loop has ended.
void EndMain();

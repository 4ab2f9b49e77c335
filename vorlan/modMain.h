#pragma once
// Process start: prepares the process and shows the main window.

namespace vorlan {

class frmMain;

// Shows frmMain modeless and returns; the caller then runs the message loop
// for as long as the window is loaded.
void Main(frmMain& main);

} // namespace vorlan

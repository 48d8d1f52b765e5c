// The program's windows: the main window first, then every dialog, each
// living for the whole run.
#pragma once

void CreateProgramWindows();
void DestroyProgramWindows();

// The warning sound before nearly every message box: 1000 Hz for 50 ms.
#pragma once

#include <functional>

void ErrorBeep();

// Replaces the sound (tests count the beeps); an empty function restores it.
void SetErrorBeepHandler(std::function<void()> handler);

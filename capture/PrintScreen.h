#pragma once

// Presses PrtSc (a key-down only): the system then puts a picture of the screen on the clipboard.
void SimulatePrintScreen();

#pragma once
// The program's start-up and end, as the main block runs them, in steps that tests can run without
// entering the message loop.
#include <string>
#include <vector>

// Creates the splash, shows it and paints it at once, before anything slow starts.
void CreaSplash();
// Creates the ten windows in their order and sets each program-wide window variable as its
// window is made; the first is the main window. Returns the class names in creation order.
std::vector<std::string> CreaFinestre();
// Shows the main window: its showing fixes the formats, translates, fills the defaults and frees
// the splash.
void MostraMainFrm();
// Destroys whatever windows exist, the last created first, and empties their variables.
void DistruggiFinestre();

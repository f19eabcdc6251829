// The program's entry: reads the switch from the argument text, keeps a second instance of the
// same kind from starting, and runs exactly one mode. Returns the exit code, always 0.
#pragma once

#include "app/saver_wiring.h"

// `wiring` joins the saver window and the settings dialog; it outlives the application object.
int LumivexEntry(const char* argumentText, SaverWiring& wiring);

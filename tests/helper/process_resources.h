// What a soak watches in another process: its private memory, kernel handles and GDI and USER
// objects, read through the process that owns a given window.
#pragma once

#include <windows.h>

#include <string>

// "pid P private B working B handles N gdi N user N" for the process owning `window`, or
// "error: <why>". A figure the system cannot give reads as -1.
std::string ProcessResourcesText(HWND window);

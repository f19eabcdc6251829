// Runs the application's message loop in a test until a condition holds or a generous
// time-out passes; never a fixed wait for something to happen.
#pragma once

#include <functional>

class TApplication;

bool PumpUntil(TApplication& application, const std::function<bool()>& condition, unsigned timeoutMs = 10000);

// The process-wide values the run modes set and the saver window and the settings dialog read.
// One copy each, used on the user-interface thread only. They sit at the bottom so that every
// layer that reads them includes them downward; the two form types are only named here.
#pragma once

#include <windows.h>

class TVellixForm;
class TSetupFrm;

extern HWND PreviewParent;        // host of a preview; null means full-screen
extern bool RunAsSaver;           // started as the system's screen saver (saver or preview switch)
extern UINT InitMessage;          // the registered "LumivexInit" message
extern TVellixForm* VellixForm;   // the main saver window, or the settings dialog's preview
extern TSetupFrm* SetupFrm;       // the settings form that exists at the moment

#include "base/globals.h"

HWND PreviewParent = nullptr;
bool RunAsSaver = false;
UINT InitMessage = 0;
TVellixForm* VellixForm = nullptr;
TSetupFrm* SetupFrm = nullptr;

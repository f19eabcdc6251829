// The one wording of a refused write, shared by every store so that the user reads the
// same message whichever store refused.
#include "settings/settings_store.h"

Exception WriteFailure(const std::string& name) { return Exception("Failed to set data for '" + name + "'"); }

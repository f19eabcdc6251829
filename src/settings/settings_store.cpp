// The one wording of a refused write, shared by every store.
#include "settings/settings_store.h"

Exception WriteFailure(const std::string& name) { return Exception("Failed to set data for '" + name + "'"); }

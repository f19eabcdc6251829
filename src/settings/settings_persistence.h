// Loading the stored settings into the controls and storing the controls' values, with the
// rules the stored format has always had: loading reports nothing and keeps what it read
// before a failure; storing writes all eight or stops at the first refused write.
#pragma once

class SettingControls;
class SettingsStore;

// Reads the per-user copy of the key if there is one, otherwise the machine-wide key; a
// missing key leaves every control as it is. The first value that cannot be read ends the
// loading: values read before it stay, it and the later ones keep what the controls held.
void LoadSettings(SettingsStore& store, SettingControls& controls);

// Writes the eight values where the next load will read them: the per-user copy if there is
// one, else the machine-wide key, else (when that cannot be written) a new per-user copy.
// Throws Exception("Failed to create key 'SOFTWARE\Orvanta\Lumivex'") when no key can be
// written, and the store's write error at the first refused write (later values are then
// not written; the key is closed either way).
void StoreSettings(SettingsStore& store, const SettingControls& controls);

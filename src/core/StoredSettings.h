#pragma once

#include "Settings.h"

#include <optional>
#include <span>
#include <variant>

namespace tanzo {

class RegistryStore;

// The settings as the store keeps them: one table names each stored value,
// its width, the member it fills, and the bounds a read brings it into. The
// names, widths and order are the file format; they do not change.
enum class SettingsGroup { Window, Option };

// The sound path is one stored string but two members (see Settings).
struct SoundPathField {};

// The member a value fills; its type decides the stored width: 16-bit
// numbers and booleans (-1 true, 0 false) take two bytes, colours four,
// strings are code page 932 text of at most `maxBytes` bytes.
using SettingField = std::variant<int16_t Settings::*, bool Settings::*, BgrColor Settings::*,
                                  QString Settings::*, SoundPathField>;

// What a stored number below its lower bound becomes; above the upper bound
// it always becomes the bound.
enum class BelowMin { Clamp, Default };

struct StoredSetting {
    const char* name;
    SettingsGroup group;
    SettingField field;
    std::optional<Bounds> bounds = std::nullopt;
    BelowMin belowMin = BelowMin::Clamp;
    int maxBytes = 0;
    // Kept only while the board's position is being saved.
    bool positionOnly = false;
};

// Every stored value, in the order the groups write them.
std::span<const StoredSetting> storedSettings();

// Reads every value under `key`. A value that cannot be read (missing,
// wrong width, too long) takes its default; numbers are brought into their
// bounds, strings cut at a NUL, and an empty font name takes the default.
Settings readStoredSettings(const RegistryStore& store, const QString& key);

// Writes the values of one group under `key`, in table order, and stops at
// the first failure. The position is written only when `withPosition`.
bool writeStoredSettings(RegistryStore& store, const QString& key, SettingsGroup group,
                         const Settings& settings, bool withPosition);

} // namespace tanzo

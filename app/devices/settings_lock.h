#pragma once

#include <optional>

#include <QString>

namespace vostrand::core {
class Settings;
} // namespace vostrand::core

namespace vostrand::devices {

// What the settings window allows while the settings are locked (`N13`): only the storage
// page stays usable.
struct SettingsWindowLock
{
    QString caption;
    bool pollingPage = true;
    bool storagePage = true;
    bool viewPage = true;
    bool serverPage = true;
    bool dataSource = true;

    bool operator==(const SettingsWindowLock&) const = default;
};

enum class PasswordChange
{
    Set,          // the new password is kept
    OldCancelled, // the old password was not given
    OldWrong,     // the old password did not match: nothing changes
    NewCancelled, // no new password was typed: nothing changes
    NotConfirmed, // the repetition was cancelled, differed or was empty
};

// The settings lock and its password. The password (`Parole`) is kept as a salted hash; an
// older configuration's plain text still unlocks, and is replaced by a hash once changed.
class SettingsLock
{
public:
    static bool isLocked(const core::Settings& settings);
    static void setLocked(core::Settings& settings, bool locked);

    static bool hasPassword(const core::Settings& settings);
    // Locking and unlocking ask for the password only while one is set and protection is on.
    static bool passwordRequired(const core::Settings& settings);
    static bool passwordMatches(const core::Settings& settings, const QString& typed);

    // The last two steps of setting a password, after the old one (if any) was checked:
    // `typedNew` null when that box was cancelled, `repeated` null when the repetition was.
    // On success the hash is stored and the protection switch can no longer be cleared; a
    // failed confirmation keeps the old password and, when there was none, clears the switch.
    static PasswordChange confirmNewPassword(core::Settings& settings,
                                             const std::optional<QString>& typedNew,
                                             const std::optional<QString>& repeated);
    // The first step: the old password, asked only when one exists (Set when none is).
    static PasswordChange checkOldPassword(const core::Settings& settings,
                                           const std::optional<QString>& typedOld);

    static SettingsWindowLock windowState(bool locked);
};

} // namespace vostrand::devices

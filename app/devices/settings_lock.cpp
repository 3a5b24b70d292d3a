#include "devices/settings_lock.h"

#include "core/settings.h"

namespace vostrand::devices {

namespace {

const QString kLockedCaption = QStringLiteral("Настройки закреплены");
const QString kUnlockedCaption = QStringLiteral("Настройки:");

} // namespace

bool SettingsLock::isLocked(const core::Settings& settings)
{
    return settings.settingsLocked();
}

void SettingsLock::setLocked(core::Settings& settings, bool locked)
{
    settings.set(u"N13", locked);
}

bool SettingsLock::hasPassword(const core::Settings& settings)
{
    return !settings.storedPassword().isEmpty();
}

bool SettingsLock::passwordRequired(const core::Settings& settings)
{
    return hasPassword(settings) && settings.passwordLockOn();
}

bool SettingsLock::passwordMatches(const core::Settings& settings, const QString& typed)
{
    return core::Settings::passwordMatches(settings.storedPassword(), typed);
}

PasswordChange SettingsLock::checkOldPassword(const core::Settings& settings,
                                              const std::optional<QString>& typedOld)
{
    if (!hasPassword(settings))
        return PasswordChange::Set;
    if (!typedOld)
        return PasswordChange::OldCancelled;
    return passwordMatches(settings, *typedOld) ? PasswordChange::Set : PasswordChange::OldWrong;
}

PasswordChange SettingsLock::confirmNewPassword(core::Settings& settings,
                                                const std::optional<QString>& typedNew,
                                                const std::optional<QString>& repeated)
{
    if (!typedNew)
        return PasswordChange::NewCancelled;
    if (!repeated || typedNew->isEmpty() || *repeated != *typedNew) {
        if (!hasPassword(settings))
            settings.set(u"TntCheckBox1", false);
        return PasswordChange::NotConfirmed;
    }
    settings.set(u"Parole", core::Settings::hashPassword(*typedNew));
    settings.set(u"TntCheckBox1", true);
    settings.set(u"TntCheckB1Ena", false);
    return PasswordChange::Set;
}

SettingsWindowLock SettingsLock::windowState(bool locked)
{
    SettingsWindowLock state;
    state.caption = locked ? kLockedCaption : kUnlockedCaption;
    state.pollingPage = !locked;
    state.viewPage = !locked;
    state.serverPage = !locked;
    state.dataSource = !locked;
    return state;
}

} // namespace vostrand::devices

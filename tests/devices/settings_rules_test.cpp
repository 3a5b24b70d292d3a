#include "core/device_table.h"
#include "core/sensor_table.h"
#include "core/settings.h"
#include "devices/polling_period_advice.h"
#include "devices/settings_lock.h"
#include "devices/settings_window_rules.h"
#include "devices/storage_period.h"

#include <gtest/gtest.h>

#include <QHostAddress>

namespace vostrand::devices {
namespace {

core::DeviceRecord device(const char* address, qint16 channels = 1, qint16 regtype = 0)
{
    core::DeviceRecord record;
    record.NetAdress = QString::fromLatin1(address);
    record.Canals = channels;
    record.Regtype = regtype;
    return record;
}

core::SensorRecord sensor(const char* adr, bool active, qint16 can = 0)
{
    core::SensorRecord record;
    record.Adr = QString::fromLatin1(adr);
    record.Aktiv = active;
    record.Can = can;
    return record;
}

core::DeviceTable devices(int count, qint16 channels = 1, qint16 regtype = 0)
{
    core::DeviceTable table;
    for (int i = 1; i <= count; ++i)
        table.append(
            device(qPrintable(QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper()),
                   channels, regtype));
    return table;
}

core::Settings settings(int period, int waitMs, bool sp, bool pw, bool programs = false)
{
    core::Settings result{QString()};
    result.set(u"SpinEdit4G.Value", period);
    result.set(u"SpinEdit3G.Value", waitMs);
    result.set(u"SPRead", sp);
    result.set(u"PwRead", pw);
    result.set(u"SpyToProgram", programs);
    return result;
}

TEST(PollingPeriodAdvice, tenDevicesWithSetpointsAtThreeSecondsIsRed)
{
    const PollingPeriodAdvice advice =
        advisePollingPeriod(devices(10), core::SensorTable{}, settings(3, 300, true, false));
    EXPECT_EQ(advice.estimatedCycleS, 6);
    EXPECT_EQ(advice.field.level, AdviceLevel::Danger);
    EXPECT_EQ(advice.field.hintConstant, QStringLiteral("Atten2"));
    EXPECT_EQ(advice.recordsPerDay, 28800);
}

TEST(PollingPeriodAdvice, levelsFollowTheEstimate)
{
    struct Case
    {
        int period;
        bool sp;
        bool pw;
        AdviceLevel level;
        int estimate;
    };
    // 10 devices × 300 ms = 3 s per read kind.
    const Case cases[] = {
        {4, false, false, AdviceLevel::Danger, 3},    // 4.5 > 4
        {5, false, false, AdviceLevel::Attention, 3}, // 6 > 5, 4.5 ≤ 5
        {6, false, false, AdviceLevel::Fine, 3},      // 6 > 6 is false
        {30, true, true, AdviceLevel::Fine, 12},      // doubled twice
        {20, true, true, AdviceLevel::Attention, 12},
    };
    for (const Case& c : cases) {
        const PollingPeriodAdvice advice = advisePollingPeriod(devices(10), core::SensorTable{},
                                                               settings(c.period, 300, c.sp, c.pw));
        EXPECT_EQ(advice.field.level, c.level) << "period " << c.period;
        EXPECT_EQ(advice.estimatedCycleS, c.estimate) << "period " << c.period;
    }
}

TEST(PollingPeriodAdvice, countsOnlyDevicesWithAnActiveSensor)
{
    core::SensorTable sensors;
    sensors.append(sensor("01", true));
    sensors.append(sensor("02", false));
    sensors.append(sensor("03", true));
    sensors.append(sensor("03", true, 1));
    // Two polled devices × 1000 ms.
    const PollingPeriodAdvice advice =
        advisePollingPeriod(devices(5), sensors, settings(10, 1000, false, false));
    EXPECT_EQ(advice.estimatedCycleS, 2);
    EXPECT_EQ(advice.field.level, AdviceLevel::Fine);
}

TEST(PollingPeriodAdvice, estimateIsAtLeastOneSecondAndProgramChannelsAddTime)
{
    // One device at 100 ms rounds to 0 s, raised to 1.
    EXPECT_EQ(advisePollingPeriod(devices(1), core::SensorTable{}, settings(1, 100, false, false))
                  .estimatedCycleS,
              1);
    // Two program regulators of 8 channels: 16 × 0.1 s on top of round(0.6) = 1 → 2.6 → 3.
    const core::DeviceTable regulators = devices(2, 8, core::DeviceRecord::kProgramRegulator);
    EXPECT_EQ(
        advisePollingPeriod(regulators, core::SensorTable{}, settings(10, 300, false, false, true))
            .estimatedCycleS,
        3);
    EXPECT_EQ(
        advisePollingPeriod(regulators, core::SensorTable{}, settings(10, 300, false, false, false))
            .estimatedCycleS,
        1);
}

TEST(ReplyWaitAdvice, thresholds)
{
    EXPECT_EQ(adviseReplyWait(300).level, AdviceLevel::Fine);
    EXPECT_EQ(adviseReplyWait(400).level, AdviceLevel::Fine);
    EXPECT_EQ(adviseReplyWait(500).hintText, QStringLiteral("Это МНОГО!"));
    EXPECT_EQ(adviseReplyWait(200).hintConstant, QStringLiteral("Atten"));
    EXPECT_EQ(adviseReplyWait(100).level, AdviceLevel::Danger);
}

TEST(StoragePeriod, typedTextRoundsToAMultipleOfThePollingPeriod)
{
    struct Case
    {
        const char* typed;
        std::optional<int> period;
    };
    const Case cases[] = {
        {"95", 90},
        {"5", 10},
        {"0", 10},
        {"10", 10},
        {" 120 ", 120},
        {"", std::nullopt},
        {"1e3", std::nullopt},
        {"-20", std::nullopt},
        {"99999999999999999999", 2147483640},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoragePeriod::parse(QString::fromLatin1(c.typed), 10), c.period) << c.typed;
}

TEST(StoragePeriod, stepsKeysAndShownValue)
{
    EXPECT_EQ(StoragePeriod::step(90, 1, 10), 100);
    EXPECT_EQ(StoragePeriod::step(10, -1, 10), 10); // never below one period
    EXPECT_EQ(StoragePeriod::step(95, -1, 10), 80);
    EXPECT_EQ(StoragePeriod::shown(0, 3), 3);
    EXPECT_EQ(StoragePeriod::shown(61, 3), 61);
    EXPECT_EQ(StoragePeriod::classify(u'+'), StoragePeriod::Key::Increase);
    EXPECT_EQ(StoragePeriod::classify(u'-'), StoragePeriod::Key::Decrease);
    EXPECT_EQ(StoragePeriod::classify(u'7'), StoragePeriod::Key::Digit);
    EXPECT_EQ(StoragePeriod::classify(u'a'), StoragePeriod::Key::Ignored);
}

TEST(StoragePeriod, choicesAreStoredOnlyIntoTheSameSensor)
{
    core::SensorTable sensors;
    sensors.append(sensor("01", true, 0));
    sensors.append(sensor("01", true, 1));
    std::vector<StoragePeriodChoice> choices = storagePeriodChoices(sensors, 5);
    ASSERT_EQ(choices.size(), 2U);
    EXPECT_EQ(choices[0].period, 5);
    choices[0].period = 60;
    choices[0].stored = true;
    choices[1].period = 30;
    // The second sensor was replaced while the dialog was open.
    sensors.replace(1, sensor("02", true, 0));
    applyStoragePeriods(sensors, choices);
    EXPECT_EQ(sensors.at(0).Period, 60);
    EXPECT_TRUE(sensors.at(0).AktivBase);
    EXPECT_EQ(sensors.at(1).Period, 0);
}

TEST(SettingsLock, passwordIsAskedOnlyWhenSetAndProtectionIsOn)
{
    core::Settings settings{QString()};
    EXPECT_FALSE(SettingsLock::passwordRequired(settings));
    settings.set(u"TntCheckBox1", true);
    EXPECT_FALSE(SettingsLock::passwordRequired(settings));
    ASSERT_EQ(SettingsLock::confirmNewPassword(settings, QStringLiteral("сезам"),
                                               QStringLiteral("сезам")),
              PasswordChange::Set);
    EXPECT_TRUE(SettingsLock::passwordRequired(settings));
    EXPECT_NE(settings.storedPassword(), QStringLiteral("сезам"));
    EXPECT_FALSE(settings.storedPassword().contains(QStringLiteral("сезам")));
    EXPECT_TRUE(SettingsLock::passwordMatches(settings, QStringLiteral("сезам")));
    EXPECT_FALSE(SettingsLock::passwordMatches(settings, QStringLiteral("Сезам")));
    // Protection cannot be switched off any more.
    EXPECT_FALSE(settings.value(u"TntCheckB1Ena").toBool());
}

TEST(SettingsLock, changingThePassword)
{
    core::Settings settings{QString()};
    settings.set(u"TntCheckBox1", true);
    // No password yet: the old one is not asked.
    EXPECT_EQ(SettingsLock::checkOldPassword(settings, std::nullopt), PasswordChange::Set);
    // An unconfirmed first password clears the protection switch.
    EXPECT_EQ(SettingsLock::confirmNewPassword(settings, QStringLiteral("a"), QStringLiteral("b")),
              PasswordChange::NotConfirmed);
    EXPECT_FALSE(settings.passwordLockOn());
    EXPECT_FALSE(SettingsLock::hasPassword(settings));

    settings.set(u"TntCheckBox1", true);
    EXPECT_EQ(SettingsLock::confirmNewPassword(settings, QString(), QString()),
              PasswordChange::NotConfirmed);
    ASSERT_EQ(
        SettingsLock::confirmNewPassword(settings, QStringLiteral("one"), QStringLiteral("one")),
        PasswordChange::Set);
    EXPECT_EQ(SettingsLock::checkOldPassword(settings, std::nullopt), PasswordChange::OldCancelled);
    EXPECT_EQ(SettingsLock::checkOldPassword(settings, QStringLiteral("two")),
              PasswordChange::OldWrong);
    EXPECT_EQ(SettingsLock::checkOldPassword(settings, QStringLiteral("one")), PasswordChange::Set);
    // A cancelled repetition keeps the old password and the switch.
    EXPECT_EQ(SettingsLock::confirmNewPassword(settings, QStringLiteral("two"), std::nullopt),
              PasswordChange::NotConfirmed);
    EXPECT_TRUE(SettingsLock::passwordMatches(settings, QStringLiteral("one")));
    EXPECT_TRUE(settings.passwordLockOn());
    EXPECT_EQ(SettingsLock::confirmNewPassword(settings, std::nullopt, std::nullopt),
              PasswordChange::NewCancelled);
}

TEST(SettingsLock, plainPasswordOfAnOlderConfigurationStillUnlocks)
{
    core::Settings settings{QString()};
    settings.set(u"Parole", QStringLiteral("old"));
    settings.set(u"TntCheckBox1", true);
    EXPECT_TRUE(SettingsLock::passwordMatches(settings, QStringLiteral("old")));
    EXPECT_FALSE(SettingsLock::passwordMatches(settings, QStringLiteral("")));
}

TEST(SettingsLock, lockedWindowKeepsOnlyTheStoragePage)
{
    const SettingsWindowLock locked = SettingsLock::windowState(true);
    EXPECT_EQ(locked.caption, QStringLiteral("Настройки закреплены"));
    EXPECT_TRUE(locked.storagePage);
    EXPECT_FALSE(locked.pollingPage || locked.viewPage || locked.serverPage || locked.dataSource);
    const SettingsWindowLock open = SettingsLock::windowState(false);
    EXPECT_EQ(open.caption, QStringLiteral("Настройки:"));
    EXPECT_TRUE(open.pollingPage && open.viewPage && open.serverPage && open.dataSource);
}

TEST(SettingsWindowRules, requestLogIsClearedOncePastSevenLines)
{
    QStringList memo;
    appendRequestLog(
        memo, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    appendRequestLog(
        memo, {QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g"), QStringLiteral("h")});
    EXPECT_EQ(memo.size(), 8);
    appendRequestLog(memo, {QStringLiteral("i"), QStringLiteral("j")});
    EXPECT_EQ(memo, (QStringList{QStringLiteral("i"), QStringLiteral("j")}));
}

TEST(SettingsWindowRules, sourcesAddressesPortsAndColours)
{
    EXPECT_EQ(replyDelaysEnabled(core::DataSource::Devices), true);
    EXPECT_EQ(replyDelaysEnabled(core::DataSource::Server), false);
    EXPECT_EQ(replyDelaysEnabled(core::DataSource::None), std::nullopt);
    EXPECT_TRUE(serverSourceStopsLocalServer(core::DataSource::Server));
    EXPECT_FALSE(serverSourceStopsLocalServer(core::DataSource::None));

    EXPECT_EQ(listenAddresses({}), QStringList{QStringLiteral("127.0.0.1")});
    EXPECT_EQ(listenAddresses({QHostAddress(QStringLiteral("::1")),
                               QHostAddress(QStringLiteral("192.168.1.5")),
                               QHostAddress(QStringLiteral("192.168.1.5"))}),
              QStringList{QStringLiteral("192.168.1.5")});

    EXPECT_EQ(serverPort(QStringLiteral("5000")), quint16{5000});
    EXPECT_EQ(serverPort(QStringLiteral("0")), std::nullopt);
    EXPECT_EQ(serverPort(QStringLiteral("65536")), std::nullopt);
    EXPECT_EQ(serverPort(QStringLiteral("50a")), std::nullopt);

    const Rgb rgb = rgbFromStored(0x808000);
    EXPECT_EQ(rgb.red, 0x00);
    EXPECT_EQ(rgb.green, 0x80);
    EXPECT_EQ(rgb.blue, 0x80);
    EXPECT_EQ(storedFromRgb(rgb), 0x808000);
}

} // namespace
} // namespace vostrand::devices

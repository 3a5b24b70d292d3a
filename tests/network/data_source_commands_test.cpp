#include "network/data_source_commands.h"

#include <gtest/gtest.h>

namespace vostrand::network {
namespace {

using core::DataSource;
constexpr CommandState On = CommandState::On;
constexpr CommandState Off = CommandState::Off;
constexpr CommandState Same = CommandState::Unchanged;

// One row per command: its state for the devices, the server and no source, unlocked then
// locked.
struct Row
{
    const char* name;
    CommandState DataSourceCommands::*member;
    CommandState devices[2];
    CommandState server[2];
    CommandState none[2];
};

const Row kRows[] = {
    {"TntToolButton1", &DataSourceCommands::TntToolButton1, {Off, Off}, {On, On}, {Off, Off}},
    {"nn9", &DataSourceCommands::nn9, {Off, Off}, {On, Off}, {Off, Off}},
    {"LED", &DataSourceCommands::portLed, {On, On}, {Off, Off}, {Off, Off}},
    {"TntToolButton3", &DataSourceCommands::TntToolButton3, {On, On}, {Off, Off}, {Same, Same}},
    {"TntToolButton5", &DataSourceCommands::TntToolButton5, {On, Off}, {Off, Off}, {Off, Off}},
    {"N25", &DataSourceCommands::N25, {On, Off}, {Off, Off}, {Off, Off}},
    {"N30", &DataSourceCommands::N30, {On, Off}, {Off, Off}, {Same, Same}},
    {"TntToolButton9", &DataSourceCommands::TntToolButton9, {On, Off}, {Off, Off}, {Same, Same}},
    {"ToolButton11", &DataSourceCommands::ToolButton11, {On, Off}, {Off, Off}, {Off, Off}},
    {"N15", &DataSourceCommands::N15, {On, Off}, {Off, Off}, {Off, Off}},
    {"N4", &DataSourceCommands::N4, {On, On}, {Off, Off}, {Same, Same}},
    {"N3", &DataSourceCommands::N3, {On, Off}, {Off, Off}, {Same, Same}},
    {"N10", &DataSourceCommands::N10, {On, Off}, {Off, Off}, {Off, Off}},
    {"N16", &DataSourceCommands::N16, {On, On}, {Off, Off}, {Same, Same}},
    {"N23", &DataSourceCommands::N23, {On, On}, {Off, Off}, {Same, Same}},
    {"N27", &DataSourceCommands::N27, {On, Off}, {Off, Off}, {Off, Off}},
    {"SpinEdit3G", &DataSourceCommands::SpinEdit3G, {On, On}, {Off, Off}, {Same, Same}},
    {"SpinEdit1", &DataSourceCommands::SpinEdit1, {On, On}, {Off, Off}, {Same, Same}},
    {"CheckBox33", &DataSourceCommands::CheckBox33, {Same, Same}, {Off, Off}, {Same, Same}},
};

TEST(DataSourceCommands, everyCommandFollowsTheSourceAndTheLock)
{
    for (const bool locked : {false, true}) {
        const DataSourceCommands devices = commandStates(DataSource::Devices, locked);
        const DataSourceCommands server = commandStates(DataSource::Server, locked);
        const DataSourceCommands none = commandStates(DataSource::None, locked);
        for (const Row& row : kRows) {
            SCOPED_TRACE(std::string(row.name) + (locked ? " locked" : ""));
            EXPECT_EQ(devices.*row.member, row.devices[locked]);
            EXPECT_EQ(server.*row.member, row.server[locked]);
            EXPECT_EQ(none.*row.member, row.none[locked]);
        }
    }
}

TEST(DataSourceCommands, anUnchangedCommandKeepsItsState)
{
    EXPECT_TRUE(appliedState(Same, true));
    EXPECT_FALSE(appliedState(Same, false));
    EXPECT_TRUE(appliedState(On, false));
    EXPECT_FALSE(appliedState(Off, true));
}

TEST(DataSourceCommands, labelAndStatusTexts)
{
    EXPECT_EQ(sourceLabelText(DataSource::Devices), QStringLiteral("из приборов"));
    // The first letter is a Latin c.
    EXPECT_EQ(sourceLabelText(DataSource::Server), QLatin1Char('c') + QStringLiteral(" сервера"));
    EXPECT_EQ(sourceLabelText(DataSource::None), QStringLiteral("без приборов"));

    EXPECT_FALSE(noSourceStatus(DataSource::Devices));
    EXPECT_FALSE(noSourceStatus(DataSource::Server));
    const auto status = noSourceStatus(DataSource::None);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->panel0, QStringLiteral(" Для опроса приборов выберите "));
    EXPECT_EQ(status->panel1, QStringLiteral(" Настройка\\Опрос.. Источник данных"));
}

TEST(DataSourceCommands, choosingTheServerSwitchesTheLocalServerOff)
{
    core::Settings settings{QString()};
    settings.set(u"CheckBox33", true);
    chooseDataSource(settings, DataSource::Devices);
    EXPECT_EQ(settings.dataSource(), DataSource::Devices);
    EXPECT_TRUE(settings.tcpServerOn());

    chooseDataSource(settings, DataSource::Server);
    EXPECT_EQ(settings.dataSource(), DataSource::Server);
    EXPECT_FALSE(settings.tcpServerOn());

    chooseDataSource(settings, DataSource::None);
    EXPECT_EQ(settings.dataSource(), DataSource::None);
}

} // namespace
} // namespace vostrand::network

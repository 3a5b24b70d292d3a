#include "sim/instrument_model.h"
#include "sim/sim_command_line.h"

#include <gtest/gtest.h>

namespace vostrand::sim {
namespace {

TEST(SimCommandLine, deviceListsRepeatTheirLastValueAndRegtypeSetsTheConfigurationWord)
{
    QString error;
    const std::optional<InstrumentConfig> device = SimCommandLine::parseDevice(
        QStringLiteral("5:3:model=Печь,unit=3/8,type=16/1,decimals=2,regtype=3,sp=10/20,"
                       "shape=ramp/sine,base=1/2/3,seed=9"),
        error);
    ASSERT_TRUE(device) << error.toStdString();
    EXPECT_EQ(device->address, 5);
    EXPECT_EQ(device->model, QStringLiteral("Печь"));
    ASSERT_EQ(device->channels.size(), 3u);
    EXPECT_EQ(device->channels[2].unitCode, 8);
    EXPECT_EQ(device->channels[0].dataType, 16);
    EXPECT_EQ(device->channels[2].dataType, 1);
    EXPECT_EQ(device->channels[1].decimals, 2);
    EXPECT_EQ(device->channels[2].setpoint, 20);
    EXPECT_EQ(device->channels[2].shape.kind(), ValueShape::Kind::Sine);
    EXPECT_EQ(device->channels[2].shape.base(), 3);
    EXPECT_EQ(device->seed, 9u);
    EXPECT_EQ(InstrumentModel(*device).regulatorType(), 3);
}

TEST(SimCommandLine, lumirexKindFollowsTheModelNameUnlessGiven)
{
    QString error;
    const struct
    {
        const char* text;
        int kind;
    } cases[] = {
        {"1:1:model=Lumirex ВИТ-2", 2},
        {"1:1:model=Lumirex ВТ-1", 1},
        {"1:1:model=Vostrand ВИТ", 0},
        {"1:1:model=Lumirex ВИТ-2,lumirex=1", 1},
    };
    for (const auto& c : cases) {
        const auto device = SimCommandLine::parseDevice(QString::fromUtf8(c.text), error);
        ASSERT_TRUE(device) << c.text;
        EXPECT_EQ(device->lumirex, c.kind) << c.text;
    }
}

TEST(SimCommandLine, withoutDevicesOrListenersRunsTheDemoPlant)
{
    const SimCommandLineResult result = SimCommandLine::parse({});
    ASSERT_TRUE(result.setup);
    ASSERT_EQ(result.setup->instruments.size(), 3u);
    EXPECT_EQ(result.setup->instruments[0].channels.size(), 8u);
    EXPECT_EQ(InstrumentModel(result.setup->instruments[1]).regulatorType(), 3);
    EXPECT_EQ(result.setup->instruments[2].lumirex, 2);
    EXPECT_EQ(result.setup->endpoints.size(), 3u);
}

TEST(SimCommandLine, faultsTakeKindProbabilityAndExceptionCode)
{
    const SimCommandLineResult result = SimCommandLine::parse(
        {"--fault", "3:late-reply:0.25", "--fault=4:exception=2", "--late-ms", "900"});
    ASSERT_TRUE(result.setup) << result.error.toStdString();
    ASSERT_EQ(result.setup->faults.size(), 2u);
    EXPECT_EQ(result.setup->faults[0].first, 3);
    EXPECT_EQ(result.setup->faults[0].second.kind, FaultKind::LateReply);
    EXPECT_DOUBLE_EQ(result.setup->faults[0].second.probability, 0.25);
    EXPECT_EQ(result.setup->faults[1].second.kind, FaultKind::Exception);
    EXPECT_EQ(result.setup->faults[1].second.exceptionCode, 2);
    EXPECT_EQ(result.setup->lateReplyMs, 900);
}

} // namespace
} // namespace vostrand::sim

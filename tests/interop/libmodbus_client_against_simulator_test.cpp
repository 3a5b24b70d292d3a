// libmodbus's client against the simulated instruments: the simulator speaks Modbus to a stack
// that is not ours, and answers what its model holds.
#include "simulator_rig.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <modbus/modbus.h>

namespace vostrand::interop {
namespace {

struct ContextFree
{
    void operator()(modbus_t* context) const
    {
        modbus_close(context);
        modbus_free(context);
    }
};
using Context = std::unique_ptr<modbus_t, ContextFree>;

std::string testName(const ::testing::TestParamInfo<Link>& test)
{
    return linkName(test.param);
}

class LibmodbusClientAgainstSimulator : public ::testing::TestWithParam<Link>
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        ASSERT_FALSE(sim.error()) << sim.error()->toStdString();
        modbus_t* raw =
            GetParam() == Link::ModbusTcp
                ? modbus_new_tcp("127.0.0.1", sim.port(Link::ModbusTcp))
                : modbus_new_rtu(sim.linePath().toLocal8Bit().constData(), 115200, 'N', 8, 1);
        ASSERT_NE(raw, nullptr);
        context.reset(raw);
        ASSERT_EQ(modbus_set_slave(raw, SimulatorRig::kAddress), 0);
        modbus_set_response_timeout(raw, 1, 0);
        ASSERT_EQ(modbus_connect(raw), 0) << modbus_strerror(errno);
    }

    // The register as the simulator's model holds it.
    std::optional<quint16> modelRegister(quint16 address)
    {
        std::optional<quint16> value;
        sim.simulator().withInstrument(SimulatorRig::kAddress, [&](sim::InstrumentModel& model) {
            value = model.readRegister(address, 0.0);
        });
        return value;
    }

    SimulatorRig sim;
    Context context;
};

TEST_P(LibmodbusClientAgainstSimulator, readsTheModelsSignalsAndSetpoints)
{
    std::array<uint16_t, SimulatorRig::kChannels> values{};
    ASSERT_EQ(modbus_read_registers(context.get(), 0x0000, SimulatorRig::kChannels, values.data()),
              SimulatorRig::kChannels)
        << modbus_strerror(errno);
    for (int k = 0; k < SimulatorRig::kChannels; ++k)
        EXPECT_EQ(values[static_cast<std::size_t>(k)], SimulatorRig::signalRaw(k)) << k;

    ASSERT_EQ(modbus_read_registers(context.get(), 0x0030, SimulatorRig::kChannels, values.data()),
              SimulatorRig::kChannels);
    for (int k = 0; k < SimulatorRig::kChannels; ++k)
        EXPECT_EQ(values[static_cast<std::size_t>(k)], SimulatorRig::setpointRaw(k)) << k;

    uint16_t channels = 0;
    ASSERT_EQ(modbus_read_registers(context.get(), 0x0130, 1, &channels), 1);
    EXPECT_EQ(channels, SimulatorRig::kChannels);
}

TEST_P(LibmodbusClientAgainstSimulator, writesChangeTheModel)
{
    ASSERT_EQ(modbus_write_register(context.get(), 0x0032, 1234), 1) << modbus_strerror(errno);
    EXPECT_EQ(modelRegister(0x0032), 1234);
    sim.simulator().withInstrument(SimulatorRig::kAddress, [](sim::InstrumentModel& model) {
        EXPECT_DOUBLE_EQ(model.setpointValue(2), 123.4);
    });

    const std::array<uint16_t, 6> clock{24, 3, 15, 10, 30, 45};
    ASSERT_EQ(modbus_write_registers(context.get(), 0x0200, 6, clock.data()), 6)
        << modbus_strerror(errno);
    std::array<uint16_t, 6> back{};
    ASSERT_EQ(modbus_read_registers(context.get(), 0x0200, 6, back.data()), 6);
    EXPECT_EQ(back, clock);
    EXPECT_EQ(modelRegister(0x0205), 45);
}

TEST_P(LibmodbusClientAgainstSimulator, refusalsAreModbusExceptions)
{
    uint16_t value = 0;
    // Past the last channel's page.
    EXPECT_EQ(modbus_read_registers(context.get(), 0x0400 * SimulatorRig::kChannels, 1, &value),
              -1);
    EXPECT_EQ(errno, EMBXILADD);
    // The signals are measured, not written.
    EXPECT_EQ(modbus_write_register(context.get(), 0x0000, 1), -1);
    EXPECT_EQ(errno, EMBXILADD);
    EXPECT_EQ(modelRegister(0x0000), SimulatorRig::signalRaw(0));
}

INSTANTIATE_TEST_SUITE_P(Links, LibmodbusClientAgainstSimulator,
                         ::testing::Values(Link::ModbusTcp, Link::SerialRtu), testName);

} // namespace
} // namespace vostrand::interop

#pragma once

namespace vostrand::sim {

// The ways a request reaches an instrument.
enum class Framing
{
    ModbusAscii, // ":" hex LRC CR LF
    ModbusRtu,   // binary, CRC-16/MODBUS low byte first
    ModbusTcp,   // MBAP header + PDU
    Maker,       // "&NN" command CR → ">NN+v1_v2..." CR
};

} // namespace vostrand::sim

#pragma once

#include "value_shape.h"

#include <vector>

#include <QString>
#include <QtGlobal>

namespace vostrand::sim {

// What one simulated channel reports about itself and how its value moves.
struct ChannelConfig
{
    int unitCode = 0; // index into the program's units table; 0 = °C
    int dataType = 1; // 16 = 16-bit float, anything else a scaled integer
    int decimals = 1; // scale 10^−decimals for integer registers
    ValueShape shape;
    double setpoint = 0.0;
    double powerPercent = 0.0;
};

// What one simulated instrument is.
struct InstrumentConfig
{
    int address = 1;
    QString model;
    std::vector<ChannelConfig> channels;
    int lumirex = 0; // 0 none, 1 mantissa + exponent registers, 2 32-bit float, low word first
    quint16 configurationWord = 0x8001; // 0x013E
    quint16 descriptorSupport = 0xF000; // 0x013F: 0xF000 descriptors, 0xF001 also a file archive
    quint64 seed = 1;
};

} // namespace vostrand::sim

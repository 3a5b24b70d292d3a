#pragma once

#include <QtGlobal>

namespace vostrand::sim {

// A block of registers with behaviour of its own (clock, program window, archive memory...).
// An instrument asks its regions before its built-in map, so a new region needs no change there.
class RegisterRegion
{
public:
    virtual ~RegisterRegion() = default;

    virtual bool covers(quint16 address) const = 0;
    virtual quint16 read(quint16 address, double seconds) = 0;
    // False refuses the write (the instrument answers exception 02).
    virtual bool write(quint16 address, quint16 value, double seconds) = 0;
};

} // namespace vostrand::sim

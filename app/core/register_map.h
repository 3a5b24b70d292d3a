#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include <QStringView>
#include <QtGlobal>

namespace vostrand::core {

// The register addresses used for one device, so that instruments with another layout can be
// served. Each entry's name ends in its default address.
class RegisterMap
{
public:
    enum Entry : std::size_t
    {
        MT0000,
        MSp0030,
        MPw0060,
        MPrg0160,
        MTrz0170,
        MPwrz0172,
        MSpFin0173,
        MPrN017B,
        MPrS017C,
        MRun0180,
        Mpid0182,
        MPwMet0186,
        MPw0187,
        MShim018A,
        MHy018F,
        MTyA019A,
        MIn01B0,
        MRo01B5,
        MDisp01B6,
        MPwAlr01B8,
        MSeA01B9,
        MCoA01D1,
        MTyT0200,
        MSpT0201,
        MTiT0206,
        MDopOut0208,
        MReT0209,
        MReT020B,
        MSoT020C,
        MArN0205,
        MArA0212,
        MOut0215,
        MStatus0221,
    };
    static constexpr std::size_t kSize = 33;

    struct Definition
    {
        const char* name;
        quint16 defaultAddress;
    };
    static const std::array<Definition, kSize>& definitions();
    // Names compare without regard to case; null when there is no such entry.
    static std::optional<Entry> find(QStringView name);

    // Every entry at its default address.
    RegisterMap();

    quint16 at(Entry entry) const { return m_addresses[entry]; }
    void set(Entry entry, quint16 address) { m_addresses[entry] = address; }

    bool operator==(const RegisterMap&) const = default;

private:
    std::array<quint16, kSize> m_addresses;
};

} // namespace vostrand::core

#include "core/register_map.h"

#include <QString>

namespace vostrand::core {

const std::array<RegisterMap::Definition, RegisterMap::kSize>& RegisterMap::definitions()
{
    // In the order of the Entry enumeration.
    static const std::array<Definition, kSize> kDefinitions = {{
        {"MT0000", 0x0000},     {"MSp0030", 0x0030},     {"MPw0060", 0x0060},
        {"MPrg0160", 0x0160},   {"MTrz0170", 0x0170},    {"MPwrz0172", 0x0172},
        {"MSpFin0173", 0x0173}, {"MPrN017B", 0x017B},    {"MPrS017C", 0x017C},
        {"MRun0180", 0x0180},   {"Mpid0182", 0x0182},    {"MPwMet0186", 0x0186},
        {"MPw0187", 0x0187},    {"MShim018A", 0x018A},   {"MHy018F", 0x018F},
        {"MTyA019A", 0x019A},   {"MIn01B0", 0x01B0},     {"MRo01B5", 0x01B5},
        {"MDisp01B6", 0x01B6},  {"MPwAlr01B8", 0x01B8},  {"MSeA01B9", 0x01B9},
        {"MCoA01D1", 0x01D1},   {"MTyT0200", 0x0200},    {"MSpT0201", 0x0201},
        {"MTiT0206", 0x0206},   {"MDopOut0208", 0x0208}, {"MReT0209", 0x0209},
        {"MReT020B", 0x020B},   {"MSoT020C", 0x020C},    {"MArN0205", 0x0205},
        {"MArA0212", 0x0212},   {"MOut0215", 0x0215},    {"MStatus0221", 0x0221},
    }};
    return kDefinitions;
}

std::optional<RegisterMap::Entry> RegisterMap::find(QStringView name)
{
    const auto& all = definitions();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (name.compare(QLatin1String(all[i].name), Qt::CaseInsensitive) == 0)
            return static_cast<Entry>(i);
    }
    return std::nullopt;
}

RegisterMap::RegisterMap()
{
    const auto& all = definitions();
    for (std::size_t i = 0; i < all.size(); ++i)
        m_addresses[i] = all[i].defaultAddress;
}

} // namespace vostrand::core

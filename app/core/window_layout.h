#pragma once

#include <array>
#include <optional>

namespace vostrand::core {

// The main window's geometry and the sensor list's column widths as last saved; a null entry
// was not stored, and the window keeps its design value for it.
struct WindowLayout
{
    static constexpr std::size_t kColumnCount = 6;

    std::optional<bool> Maxi;
    std::optional<int> Left;
    std::optional<int> Top;
    std::optional<int> Width;
    std::optional<int> Height;
    std::array<std::optional<int>, kColumnCount> ColWidth;

    bool operator==(const WindowLayout&) const = default;
};

} // namespace vostrand::core

#pragma once

#include <QString>

namespace vostrand::core {

// Unit texts by the unit code an instrument reports.
class Units
{
public:
    static constexpr int kCount = 24;
    static const QString kUnknown; // "?"

    // The unit text of `code`; "?" for a code outside the table.
    static QString text(int code);
};

} // namespace vostrand::core

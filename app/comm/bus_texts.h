#pragma once

#include <QString>

namespace vostrand::core {
class Lang;
}

namespace vostrand::comm {

// The translatable texts the Bus and its exchanges show, taken from the language table by
// whoever owns the Bus (the table lives on another thread). Defaults are the Russian texts
// where the built-in table has them, else the constant's name, as the table would give.
struct BusTexts
{
    QString errPort2 = QStringLiteral("Порт не открывается. Проверьте"); // `Err_Port2`
    QString errPort = QStringLiteral("Err_Port");                        // `Err_Port`
    QString noTime = QStringLiteral("No_time");                          // `No_time`

    static BusTexts fromLang(const core::Lang& lang);
};

} // namespace vostrand::comm

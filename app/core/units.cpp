#include "core/units.h"

#include <array>

namespace vostrand::core {

const QString Units::kUnknown = QStringLiteral("?");

QString Units::text(int code)
{
    static const std::array<QString, kCount> kTexts = {
        QStringLiteral("°C"),   QStringLiteral("%"),          QString(),
        QStringLiteral("Па"),   QStringLiteral("кПа"),        QStringLiteral("МПа"),
        QStringLiteral("атм"),  QStringLiteral("мм вод.ст."), QStringLiteral("мм рт.ст."),
        QStringLiteral("т/ч"),  QStringLiteral("л/ч"),        QStringLiteral("мВ"),
        QStringLiteral("В"),    QStringLiteral("мА"),         QStringLiteral("А"),
        QStringLiteral("Ом"),   QStringLiteral("мм"),         QStringLiteral("м"),
        QStringLiteral("bbl"),  QStringLiteral("кГс/м2"),     QStringLiteral("кГс/см2"),
        QStringLiteral("м3/ч"), QStringLiteral("°F"),         QStringLiteral("K"),
    };
    if (code < 0 || code >= kCount)
        return kUnknown;
    return kTexts[static_cast<std::size_t>(code)];
}

} // namespace vostrand::core

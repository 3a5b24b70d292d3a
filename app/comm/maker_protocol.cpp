#include "comm/maker_protocol.h"

#include <cmath>

namespace vostrand::comm {

namespace {

std::optional<double> readNumber(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

const QString MakerProtocol::kNoTcp = QStringLiteral("Протокол Vostrand через TCP/IP не работает");

QString MakerProtocol::request(std::uint8_t address, QChar command)
{
    return QStringLiteral("&%1").arg(int(address), 2, 10, QLatin1Char('0')) + command +
           QLatin1Char('\r');
}

std::optional<double> MakerProtocol::value(QStringView reply, int k)
{
    const qsizetype start = reply.indexOf(QLatin1Char('+'));
    if (k < 1 || start < 0)
        return std::nullopt;
    // The reply ends like every field does, so its last number is closed too.
    const QString text = reply.sliced(start).toString() + QLatin1Char('\r');
    QString collected;
    int ended = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('+')) {
            collected.clear();
        } else if (c == QLatin1Char('_') || c == QLatin1Char('\r')) {
            ++ended;
            const auto number = readNumber(collected);
            collected.clear();
            if (number && ended == k)
                return number;
            if (ended >= k)
                return std::nullopt;
        } else if (!isBlank(c)) {
            collected += c;
        }
    }
    return std::nullopt;
}

int MakerProtocol::channelCount(QStringView reply)
{
    return static_cast<int>(reply.count(QLatin1Char('_'))) + 1;
}

} // namespace vostrand::comm

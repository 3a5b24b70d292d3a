#include "devices/settings_window_rules.h"

#include <QAbstractSocket>

namespace vostrand::devices {

std::optional<bool> replyDelaysEnabled(core::DataSource source)
{
    switch (source) {
    case core::DataSource::Devices:
        return true;
    case core::DataSource::Server:
        return false;
    case core::DataSource::None:
        break;
    }
    return std::nullopt;
}

bool serverSourceStopsLocalServer(core::DataSource source)
{
    return source == core::DataSource::Server;
}

void appendRequestLog(QStringList& memo, const QStringList& lines)
{
    if (memo.size() > kRequestLogLines)
        memo.clear();
    memo.append(lines);
}

QStringList listenAddresses(const QList<QHostAddress>& addresses)
{
    QStringList texts;
    for (const QHostAddress& address : addresses) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        const QString text = address.toString();
        if (!texts.contains(text))
            texts.append(text);
    }
    if (texts.isEmpty())
        texts.append(QStringLiteral("127.0.0.1"));
    return texts;
}

std::optional<quint16> serverPort(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

Rgb rgbFromStored(qint64 stored)
{
    return {static_cast<int>(stored & 0xFF), static_cast<int>((stored >> 8) & 0xFF),
            static_cast<int>((stored >> 16) & 0xFF)};
}

int storedFromRgb(const Rgb& rgb)
{
    return (rgb.red & 0xFF) | ((rgb.green & 0xFF) << 8) | ((rgb.blue & 0xFF) << 16);
}

} // namespace vostrand::devices

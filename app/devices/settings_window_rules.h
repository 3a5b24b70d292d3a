#pragma once

#include "core/settings.h"

#include <optional>

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace vostrand::devices {

// Whether the reply wait and the delay after a reply can be edited for a data source: they
// belong to the local links, so a server source disables them; no source leaves them as
// they were (null).
std::optional<bool> replyDelaysEnabled(core::DataSource source);
// The local data server and the server source exclude each other.
bool serverSourceStopsLocalServer(core::DataSource source);

// The request log of the data server page keeps at most a screenful: once it holds more
// than seven lines it is cleared before the next lines go in, so the newest are always seen.
void appendRequestLog(QStringList& memo, const QStringList& lines);
inline constexpr int kRequestLogLines = 7;

// The IPv4 addresses a server can listen on, in the order given; "127.0.0.1" when none.
QStringList listenAddresses(const QList<QHostAddress>& addresses);

// The data server port of `Edit5`: 1..65535, null for anything else.
std::optional<quint16> serverPort(const QString& text);

// Colours are stored in the 0x00BBGGRR form of the configurations.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
};
Rgb rgbFromStored(qint64 stored);
int storedFromRgb(const Rgb& rgb);

} // namespace vostrand::devices

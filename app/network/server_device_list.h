#pragma once

#include "core/text_codec.h"

#include <chrono>
#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

namespace vostrand::core {
class ConfigStore;
class Station;
} // namespace vostrand::core

namespace vostrand::network {

struct ServerAddress
{
    QString host;
    QString port;
};

// What fetching the lists brought: the listing one field per line, as the dialog's memo
// shows it, and the texts the dialog shows.
struct ServerListFetch
{
    QStringList memoLines;             // fetched lines, one field per line
    std::optional<int> pollingPeriodS; // "dttimer" reply when not empty
    QStringList messages; // "IP адрес HOST:PORT не откликается", once per failure
    QString resultText;   // TntLabel3 text
    bool found = false;   // OK may be offered
};

struct ServerListAccept
{
    bool ok = false;
    QString message;       // why the list was refused
    QString savedListFile; // where the refused list was saved for a look; empty when not saved
};

// The device and sensor lists of a data server, fetched over its line protocol and taken
// into the local tables.
class ServerDeviceList
{
public:
    static const QString kListFileName;
    static const QString kFoundPrefix;
    static const QString kFoundSuffix;
    static const QString kNotFound;
    static const QString kMalformed;
    static const QString kSavedForReview;

    // Lines of the listing a server can have with full tables: 2 × 255 + 2 × 778 + 3.
    static constexpr int kMaxListingLines = 2069;

    // Blocking: one connection per line, each given `connectWait` to connect. Run it on a
    // worker thread; `cancelled` is asked between the connections.
    static ServerListFetch fetch(const ServerAddress& address,
                                 std::chrono::milliseconds connectWait,
                                 const std::function<bool()>& cancelled = {});

    // On the acquisition thread (post()): replaces the tables, or keeps the previous tables
    // whole when the list is malformed and saves the lines to "Список устройств.txt" in
    // `listFileFolder`.
    static ServerListAccept accept(const QStringList& memoLines, core::Station& station,
                                   const QString& listFileFolder);

    // The server becomes the one to read from (`MyIP`, `MyPort`); a fetched polling period
    // becomes the local one.
    static void adoptServer(const ServerAddress& address, std::optional<int> pollingPeriodS,
                            core::Station& station);

    // For the command line: adopts the server and its lists, makes the server the data
    // source (which switches the local server off). The tables stay as they were when the
    // lists are refused, and then nothing else changes either.
    static ServerListAccept acceptFetched(const ServerListFetch& fetched,
                                          const ServerAddress& address, core::Station& station,
                                          const QString& listFileFolder);
    // Saves the tables and the general settings, as after accepting in the dialog.
    static core::FileResult saveConfiguration(const core::Station& station,
                                              const core::ConfigStore& store);

    static QString noAnswerText(const ServerAddress& address);
};

} // namespace vostrand::network

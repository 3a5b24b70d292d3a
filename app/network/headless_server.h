#pragma once

#include "acquisition/station_snapshot.h"
#include "core/regional_format.h"
#include "core/station.h"
#include "network/data_server.h"

#include <memory>

#include <QTextStream>

namespace vostrand::acquisition {
class AcquisitionThread;
}

namespace vostrand::network {

// The data server of the headless program: with `CheckBox33` on it serves on `Edit4`:`Edit5`
// (an empty `Edit4` means every local address) from the snapshots of the acquisition thread.
// A server that cannot listen is reported and polling goes on without it.
class HeadlessServer
{
public:
    // Takes the settings, and the tables it answers with until the first snapshot comes.
    HeadlessServer(const core::Station& station, core::RegionalFormat regional, QTextStream& out,
                   QTextStream& err);
    ~HeadlessServer();

    HeadlessServer(const HeadlessServer&) = delete;
    HeadlessServer& operator=(const HeadlessServer&) = delete;

    // Once the acquisition thread runs; it must end before this object does.
    void attach(acquisition::AcquisitionThread& acquisition);

    // Null while switched off or when listening failed.
    const DataServer* server() const { return m_server.get(); }

private:
    acquisition::SnapshotPtr m_initial;
    bool m_on;
    QString m_address;
    std::optional<quint16> m_port;
    QString m_portText;
    core::RegionalFormat m_regional;
    QTextStream& m_out;
    QTextStream& m_err;
    std::unique_ptr<DataServer> m_server;
};

} // namespace vostrand::network

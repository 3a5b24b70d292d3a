#pragma once

#include "fault_plan.h"
#include "instrument_config.h"
#include "simulator_host.h"

#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

namespace vostrand::sim {

// Everything the vostrand-sim program was asked to run.
struct SimSetup
{
    std::vector<InstrumentConfig> instruments;
    std::vector<EndpointSpec> endpoints;
    std::vector<std::pair<int, Fault>> faults;
    int lateReplyMs = 2000;
    quint64 faultSeed = 1;
    bool help = false;
};

struct SimCommandLineResult
{
    std::optional<SimSetup> setup;
    QString error; // set when setup is not
};

// The options of vostrand-sim. Without --device it simulates a small plant, without --listen it
// listens on the three TCP framings.
class SimCommandLine
{
public:
    static SimCommandLineResult parse(const QStringList& arguments);
    static QString usage();

    static std::optional<InstrumentConfig> parseDevice(const QString& text, QString& error);
    static std::optional<EndpointSpec> parseListen(const QString& text, QString& error);
    static std::optional<std::pair<int, Fault>> parseFault(const QString& text, QString& error);
};

} // namespace vostrand::sim

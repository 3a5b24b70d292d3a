#pragma once

#include "core/settings.h"

#include <optional>

#include <QString>

namespace vostrand::network {

// What choosing a data source does to one command: enable (or show) it, disable (or hide)
// it, or leave it as it is.
enum class CommandState
{
    Unchanged,
    On,
    Off,
};

// The commands that follow the data source, one member per control. `portLed` is the
// serial port indicator (On: shown); `CheckBox33` is the local data server (Off: switched
// off, since a copy reading from a server does not serve itself).
struct DataSourceCommands
{
    CommandState TntToolButton1 = CommandState::Unchanged;
    CommandState nn9 = CommandState::Unchanged;
    CommandState portLed = CommandState::Unchanged;
    CommandState TntToolButton3 = CommandState::Unchanged;
    CommandState TntToolButton5 = CommandState::Unchanged;
    CommandState N25 = CommandState::Unchanged;
    CommandState N30 = CommandState::Unchanged;
    CommandState TntToolButton9 = CommandState::Unchanged;
    CommandState ToolButton11 = CommandState::Unchanged;
    CommandState N15 = CommandState::Unchanged;
    CommandState N4 = CommandState::Unchanged;
    CommandState N3 = CommandState::Unchanged;
    CommandState N10 = CommandState::Unchanged;
    CommandState N16 = CommandState::Unchanged;
    CommandState N23 = CommandState::Unchanged;
    CommandState N27 = CommandState::Unchanged;
    CommandState SpinEdit3G = CommandState::Unchanged;
    CommandState SpinEdit1 = CommandState::Unchanged;
    CommandState CheckBox33 = CommandState::Unchanged;

    bool operator==(const DataSourceCommands&) const = default;
};

// The status bar texts shown while no data source is chosen.
struct NoSourceStatus
{
    QString panel0;
    QString panel1;
};

// `locked`: the settings lock (`N13`) is on.
DataSourceCommands commandStates(core::DataSource source, bool locked);

// The state a command takes: `current` when the source leaves it unchanged.
bool appliedState(CommandState state, bool current);

// `TntLabel1`: "из приборов", "c сервера" (with a Latin c, as the window has always shown
// it) or "без приборов".
QString sourceLabelText(core::DataSource source);

// Set only for "no source".
std::optional<NoSourceStatus> noSourceStatus(core::DataSource source);

// Stores the choice (`RS_or_TCP`); choosing the server switches the local server off
// (`CheckBox33`).
void chooseDataSource(core::Settings& settings, core::DataSource source);

} // namespace vostrand::network

#include "network/data_source_commands.h"

namespace vostrand::network {

namespace {

CommandState onUnless(bool locked)
{
    return locked ? CommandState::Off : CommandState::On;
}

DataSourceCommands fromDevices(bool locked)
{
    DataSourceCommands c;
    c.TntToolButton1 = CommandState::Off;
    c.nn9 = CommandState::Off;
    c.portLed = CommandState::On;
    c.TntToolButton3 = CommandState::On;
    c.TntToolButton5 = c.N25 = onUnless(locked);
    c.N30 = c.TntToolButton9 = onUnless(locked);
    c.ToolButton11 = c.N15 = onUnless(locked);
    c.N4 = CommandState::On;
    c.N3 = onUnless(locked);
    c.N10 = onUnless(locked);
    c.N16 = CommandState::On;
    c.N23 = CommandState::On;
    c.N27 = onUnless(locked);
    c.SpinEdit3G = c.SpinEdit1 = CommandState::On;
    return c;
}

// Everything that talks to instruments is off; the server commands are on.
DataSourceCommands fromServer(bool locked)
{
    constexpr CommandState off = CommandState::Off;
    DataSourceCommands c;
    c.TntToolButton1 = CommandState::On;
    c.nn9 = onUnless(locked);
    c.portLed = off;
    c.TntToolButton3 = off;
    c.TntToolButton5 = c.N25 = off;
    c.N30 = c.TntToolButton9 = off;
    c.ToolButton11 = c.N15 = off;
    c.N4 = c.N3 = c.N10 = off;
    c.N16 = c.N23 = c.N27 = off;
    c.SpinEdit3G = c.SpinEdit1 = off;
    c.CheckBox33 = off;
    return c;
}

// Files only: what adds or finds devices is off, the rest stays as it was.
DataSourceCommands withoutSource()
{
    constexpr CommandState off = CommandState::Off;
    DataSourceCommands c;
    c.TntToolButton1 = c.nn9 = off;
    c.portLed = off;
    c.TntToolButton5 = c.N25 = off;
    c.ToolButton11 = c.N15 = off;
    c.N10 = off;
    c.N27 = off;
    return c;
}

} // namespace

DataSourceCommands commandStates(core::DataSource source, bool locked)
{
    switch (source) {
    case core::DataSource::Devices:
        return fromDevices(locked);
    case core::DataSource::Server:
        return fromServer(locked);
    case core::DataSource::None:
        break;
    }
    return withoutSource();
}

bool appliedState(CommandState state, bool current)
{
    switch (state) {
    case CommandState::On:
        return true;
    case CommandState::Off:
        return false;
    case CommandState::Unchanged:
        break;
    }
    return current;
}

QString sourceLabelText(core::DataSource source)
{
    switch (source) {
    case core::DataSource::Devices:
        return QStringLiteral("из приборов");
    case core::DataSource::Server:
        return QStringLiteral("c сервера");
    case core::DataSource::None:
        break;
    }
    return QStringLiteral("без приборов");
}

std::optional<NoSourceStatus> noSourceStatus(core::DataSource source)
{
    if (source != core::DataSource::None)
        return std::nullopt;
    return NoSourceStatus{QStringLiteral(" Для опроса приборов выберите "),
                          QStringLiteral(" Настройка\\Опрос.. Источник данных")};
}

void chooseDataSource(core::Settings& settings, core::DataSource source)
{
    settings.set(u"RS_or_TCP", static_cast<int>(source));
    if (source == core::DataSource::Server)
        settings.set(u"CheckBox33", false);
}

} // namespace vostrand::network

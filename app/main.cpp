#include "acquisition/demo_plant.h"
#include "acquisition/headless_program.h"
#include "comm/bus.h"
#include "comm/exchange_timing.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/config_command_line.h"
#include "core/config_location.h"
#include "core/config_store.h"
#include "core/helper_library.h"
#include "core/regional_format.h"
#include "core/station.h"
#include "devices/device_identification.h"
#include "devices/device_table_edits.h"
#include "devices/device_uri.h"
#ifdef VOSTRAND_HAVE_UI
#include "core/ui/gui_program.h"
#endif
#include "network/headless_server.h"
#include "network/server_device_list.h"
#include "network/server_tick.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

namespace {

using vostrand::acquisition::DemoPlant;
using vostrand::acquisition::HeadlessOptions;
using vostrand::acquisition::HeadlessProgram;
using vostrand::core::ConfigCommandLine;
using vostrand::core::ConfigLocation;
using vostrand::core::ConfigStore;
using vostrand::core::HelperLibrary;
using vostrand::core::Station;
using vostrand::network::HeadlessServer;

constexpr int kUsageError = 2;

std::optional<QString> installFolder(const ConfigLocation& location)
{
    return ConfigStore(location.iniFilePath()).installPath();
}

std::unique_ptr<HelperLibrary> bindHelperLibrary(const ConfigLocation& location)
{
    return std::make_unique<HelperLibrary>(HelperLibrary::searchPaths(
        installFolder(location), QCoreApplication::applicationDirPath()));
}

int reportHelperLibrary(const ConfigLocation& location, QTextStream& out)
{
    const auto library = bindHelperLibrary(location);
    if (!library->isLoaded()) {
        out << library->loadError() << Qt::endl;
        return 1;
    }
    out << "helper library: " << library->fileName() << Qt::endl;
    for (const char* name : {"vsb2vsa", "vsb2vsa_m", "convert_MODBUS_ASCII_to_TCP"}) {
        if (!library->resolve(name)) {
            out << HelperLibrary::functionMissing(name) << Qt::endl;
            return 1;
        }
    }
    return 0;
}

// The Modbus TCP frames come from the helper library; the library outlives every exchange.
vostrand::comm::AsciiToTcpConverter converterOf(const HelperLibrary& library)
{
    return [&library](const QByteArray& ascii, int transactionId, QByteArray& tcp) {
        return library.convertModbusAsciiToTcp(ascii, transactionId, tcp);
    };
}

std::unique_ptr<Station> loadStation(const ConfigLocation& location, QTextStream& err)
{
    auto station = std::make_unique<Station>(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const ConfigStore store(location.iniFilePath());
    // Settings first: devices without a stored port take the stored serial port.
    QStringList ignored = store.loadSettings(*station).ignored;
    ignored += store.loadDevicesAndSensors(*station).ignored;
    for (const QString& line : ignored)
        err << "ignored in " << QDir::toNativeSeparators(store.fileName()) << ": " << line
            << Qt::endl;
    return station;
}

int saveDevices(const ConfigLocation& location, const Station& station, QTextStream& err)
{
    const auto saved = ConfigStore(location.iniFilePath()).saveDevicesAndSensors(station);
    if (saved.ok)
        return 0;
    err << "vostrandnet: " << saved.fileName << ": " << saved.error << Qt::endl;
    return 1;
}

QString refusalText(vostrand::devices::AddRefusal refusal,
                    const vostrand::devices::DeviceRequest& request)
{
    using vostrand::devices::AddRefusal;
    switch (refusal) {
    case AddRefusal::Capacity:
        return QStringLiteral("the device and sensor tables are full (255 devices, 778 sensors)");
    case AddRefusal::DuplicateAddress:
        return QStringLiteral("a device with address %1 is already in the list")
            .arg(request.address);
    case AddRefusal::TooManyChannels:
        return QStringLiteral("a device has at most 64 channels");
    case AddRefusal::NotIdentified:
        return QStringLiteral("the device was not identified");
    case AddRefusal::None:
        break;
    }
    return QStringLiteral("refused");
}

int addDevice(const QString& uri, const ConfigLocation& location, QTextStream& out,
              QTextStream& err)
{
    using namespace vostrand;
    const devices::DeviceUriResult parsed = devices::DeviceUri::parse(uri);
    if (!parsed.ok()) {
        err << "vostrandnet: --add-device " << uri << ": " << parsed.error << Qt::endl;
        return kUsageError;
    }
    auto station = loadStation(location, err);
    const devices::NewDeviceTexts texts;
    devices::AddDeviceResult added;
    if (parsed.request->isMath()) {
        added = devices::DeviceTableEdits::addMathDevice(*station, *parsed.request, texts);
    } else {
        const auto library = bindHelperLibrary(location);
        comm::Bus bus(std::make_unique<comm::SerialTransport>(),
                      std::make_unique<comm::TcpTransport>());
        bus.setTiming(comm::ExchangeTiming::fromSettings(station->settings()));
        devices::DeviceIdentification identification(
            *parsed.request, station->settings().serviceZone(), converterOf(*library));
        const devices::IdentificationResult& found = identification.run(bus);
        if (!found.identified()) {
            err << "vostrandnet: " << uri << ": the device does not answer" << Qt::endl;
            return 1;
        }
        added = devices::DeviceTableEdits::addDevice(*station, *parsed.request, found, texts);
    }
    if (!added.added()) {
        err << "vostrandnet: " << uri
            << ": not added: " << refusalText(added.refusal, *parsed.request) << Qt::endl;
        return 1;
    }
    const core::DeviceRecord& device = station->devices().at(*added.deviceIndex);
    out << "added " << device.Name << " at " << device.NetAdress << " with " << device.Canals
        << " channels" << Qt::endl;
    return saveDevices(location, *station, err);
}

int deleteDevice(const QString& text, const ConfigLocation& location, QTextStream& out,
                 QTextStream& err)
{
    using namespace vostrand;
    QString error;
    const auto address = devices::DeviceUri::parseAddress(text, &error);
    if (!address) {
        err << "vostrandnet: --delete-device " << text << ": " << error << Qt::endl;
        return kUsageError;
    }
    auto station = loadStation(location, err);
    const auto index = devices::DeviceTableEdits::findByAddress(station->devices(), *address);
    if (!index) {
        err << "vostrandnet: no device at address " << *address << Qt::endl;
        return 1;
    }
    const devices::DeleteResult removed =
        devices::DeviceTableEdits::deleteDevices(*station, {*index}, devices::NewDeviceTexts{});
    out << "deleted " << removed.removedDevices << " device(s); " << removed.sensorCount
        << " sensors remain" << Qt::endl;
    return saveDevices(location, *station, err);
}

// `--set` beside `--headless` or `--demo` changes the settings of this run only.
bool applyRunSettings(const QCommandLineParser& parser, Station& station, QTextStream& err)
{
    for (const QString& text : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            err << "--set expects NAME=VALUE, not \"" << text << "\"" << Qt::endl;
            return false;
        }
        const auto change = station.settings().setFromText(text.left(equals).trimmed(),
                                                           text.mid(equals + 1));
        if (!change.accepted) {
            err << change.message << Qt::endl;
            return false;
        }
    }
    return true;
}

// Runs the program with the data server beside it when `CheckBox33` is on.
int runServing(std::unique_ptr<Station> station, HeadlessOptions options,
               const vostrand::core::RegionalFormat& regional,
               vostrand::comm::AsciiToTcpConverter convert, QTextStream& out, QTextStream& err)
{
    HeadlessServer server(*station, regional, out, err);
    options.onStarted = [&server](vostrand::acquisition::AcquisitionThread& acquisition) {
        server.attach(acquisition);
    };
    HeadlessProgram program(std::move(station), std::move(options), regional, std::move(convert),
                            out, err);
    return program.run();
}

// `--fetch-server-list HOST:PORT`: the device list of a data server becomes the local one and
// the server the data source, as accepting the list in the window does.
int fetchServerList(const QString& text, const ConfigLocation& location, QTextStream& out,
                    QTextStream& err)
{
    using vostrand::network::ServerDeviceList;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = colon > 0 ? text.mid(colon + 1).toUInt(&portOk) : 0;
    if (!portOk || port == 0 || port > 0xFFFF) {
        err << "vostrandnet: --fetch-server-list expects HOST:PORT, not \"" << text << "\""
            << Qt::endl;
        return kUsageError;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const vostrand::network::ServerAddress address{host, QString::number(port)};

    auto station = loadStation(location, err);
    const std::chrono::milliseconds connectWait(3 * station->settings().replyTimeoutMs());
    const vostrand::network::ServerListFetch fetched =
        ServerDeviceList::fetch(address, connectWait);
    for (const QString& message : fetched.messages)
        err << message << Qt::endl;
    for (const QString& line : fetched.memoLines)
        out << line << Qt::endl;
    out << fetched.resultText << Qt::endl;
    if (!fetched.found)
        return kUsageError;

    const auto accepted = ServerDeviceList::acceptFetched(fetched, address, *station,
                                                          station->settings().dataFolder());
    if (!accepted.ok) {
        err << QString(accepted.message).replace(QStringLiteral("\r\r"), QStringLiteral("\n"))
            << Qt::endl;
        if (!accepted.savedListFile.isEmpty())
            err << "list saved in " << accepted.savedListFile << Qt::endl;
        return kUsageError;
    }
    const auto saved =
        ServerDeviceList::saveConfiguration(*station, ConfigStore(location.iniFilePath()));
    if (!saved.ok) {
        err << "vostrandnet: " << saved.fileName << ": " << saved.error << Qt::endl;
        return 1;
    }
    out << "data source: server " << host << ":" << port << " with "
        << station->devices().Devcount() << " devices and " << station->sensors().SensCount()
        << " sensors, polling every " << station->settings().pollingPeriodS() << " s" << Qt::endl;
    return 0;
}

HeadlessOptions headlessOptions(const QCommandLineParser& parser, bool& ok, QTextStream& err)
{
    HeadlessOptions options;
    // Used while the data source is a data server.
    options.serverSource = vostrand::network::ServerTick::pollingSource();
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    ok = true;
    if (parser.isSet(QStringLiteral("passes"))) {
        const int passes = parser.value(QStringLiteral("passes")).toInt(&ok);
        ok = ok && passes > 0;
        if (!ok)
            err << "vostrandnet: --passes takes a number above 0" << Qt::endl;
        options.passes = passes;
    }
    return options;
}

int runDemo(const QCommandLineParser& parser, const HeadlessOptions& options,
            const vostrand::core::RegionalFormat& regional, const ConfigLocation& location,
            QTextStream& out, QTextStream& err)
{
    DemoPlant plant;
    if (const auto error = plant.start()) {
        err << "vostrandnet: demo: " << *error << Qt::endl;
        return 1;
    }
    out << "demo instruments:" << Qt::endl;
    for (const QString& endpoint : plant.endpoints())
        out << "  " << endpoint << Qt::endl;
    out << "configuration: " << QDir::toNativeSeparators(plant.configFolder()) << Qt::endl
        << "data folder: " << QDir::toNativeSeparators(plant.dataFolder()) << Qt::endl;
    const auto library = bindHelperLibrary(location);
    if (!library->isLoaded())
        err << library->loadError() << Qt::endl;
    auto station = plant.station();
    if (!applyRunSettings(parser, *station, err))
        return kUsageError;
    return runServing(std::move(station), options, regional, converterOf(*library), out, err);
}

int runHeadless(const QCommandLineParser& parser, const HeadlessOptions& options,
                const vostrand::core::RegionalFormat& regional, const ConfigLocation& location,
                QTextStream& out, QTextStream& err)
{
    auto station = loadStation(location, err);
    if (parser.isSet(QStringLiteral("data-dir")))
        station->settings().set(u"DirEdit1.Text", parser.value(QStringLiteral("data-dir")));
    if (!applyRunSettings(parser, *station, err))
        return kUsageError;
    const auto library = bindHelperLibrary(location);
    if (!library->isLoaded())
        err << library->loadError() << Qt::endl;
    return runServing(std::move(station), options, regional, converterOf(*library), out, err);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer the program itself skips the leak check at exit: now and then Qt
// still holds one queued event with its texts when the program ends, which is no leak of
// ours. The test suites, which run our code in-process, keep the check.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}
#endif

int main(int argc, char* argv[])
{
#ifdef VOSTRAND_HAVE_UI
    // With windows unless a console command is asked for or there is no display.
    const auto application = vostrand::core::ui::makeApplication(argc, argv);
#else
    const auto application = std::make_unique<QCoreApplication>(argc, argv);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("VostrandNet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOSTRAND_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Data acquisition from networks of Vostrand instruments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configDir(QStringLiteral("config-dir"),
                                       QStringLiteral("Read and write the configuration in DIR."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption checkLibrary(
        QStringLiteral("check-library"),
        QStringLiteral("Bind the helper library, report what was found and exit."));
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QStringLiteral("Poll without windows, print a table per pass, write the data files; "
                       "stop with SIGINT or SIGTERM."));
    const QCommandLineOption passes(QStringLiteral("passes"),
                                    QStringLiteral("Stop after N polling passes."),
                                    QStringLiteral("N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Print no table per pass."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Poll simulated instruments with a fresh temporary configuration."));
    const QCommandLineOption addDeviceOption(
        QStringLiteral("add-device"),
        QStringLiteral("Identify the device at URI (serial:PORT@BAUD/PROTOCOL/ADDRESS, "
                       "tcp:HOST:PORT/PROTOCOL/ADDRESS, math:FORMULA;...) and add it."),
        QStringLiteral("URI"));
    const QCommandLineOption deleteDeviceOption(
        QStringLiteral("delete-device"),
        QStringLiteral("Delete the device at ADDRESS with its sensors."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption fetchServerListOption(
        QStringLiteral("fetch-server-list"),
        QStringLiteral("Take the device list of the data server at HOST:PORT and read the data "
                       "from that server from now on."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption locale(
        QStringLiteral("locale"),
        QStringLiteral("Write numbers and dates as the locale NAME does (ru_RU, en_US, ...)."),
        QStringLiteral("NAME"));
    parser.addOptions({configDir, checkLibrary, headless, passes, quiet, demo, addDeviceOption,
                       deleteDeviceOption, fetchServerListOption, locale});
    const ConfigCommandLine configCommands;
    configCommands.addOptions(parser);
#ifdef VOSTRAND_HAVE_UI
    vostrand::core::ui::addGuiOptions(parser);
#endif
    parser.process(*application);

    const auto location = ConfigLocation::resolve(
        parser.isSet(configDir) ? std::optional(parser.value(configDir)) : std::nullopt,
        QProcessEnvironment::systemEnvironment());

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.isSet(checkLibrary))
        return reportHelperLibrary(location, out);
    if (parser.isSet(addDeviceOption))
        return addDevice(parser.value(addDeviceOption), location, out, err);
    if (parser.isSet(deleteDeviceOption))
        return deleteDevice(parser.value(deleteDeviceOption), location, out, err);
    if (parser.isSet(fetchServerListOption))
        return fetchServerList(parser.value(fetchServerListOption), location, out, err);
    const bool runs = parser.isSet(headless) || parser.isSet(demo);
    if (configCommands.isRequested(parser) && !runs)
        return configCommands.run(parser, location, out, err);

    bool optionsOk = true;
    const HeadlessOptions options = headlessOptions(parser, optionsOk, err);
    if (!optionsOk)
        return kUsageError;
    auto regional = vostrand::core::RegionalFormat::fromSystem();
    if (parser.isSet(locale)) {
        const auto pinned = vostrand::core::RegionalFormat::fromLocaleName(parser.value(locale));
        if (!pinned) {
            err << "vostrandnet: unknown locale " << parser.value(locale) << Qt::endl;
            return kUsageError;
        }
        regional = *pinned;
    }
    if (parser.isSet(demo)) {
        // A system locale may write dates with blanks, which the record lines cannot carry;
        // the demo pins a known format unless one is asked for.
        const auto demoRegional =
            parser.isSet(locale) ? regional : vostrand::core::RegionalFormat::dotDecimal();
#ifdef VOSTRAND_HAVE_UI
        if (!parser.isSet(headless) && vostrand::core::ui::windowsAvailable()) {
            const auto gui = vostrand::core::ui::guiOptions(parser, true, err);
            return gui ? vostrand::core::ui::runGui(*gui, location, demoRegional, out, err)
                       : kUsageError;
        }
#endif
        if (!parser.isSet(headless))
            err << "vostrandnet: no display; the demo runs headless" << Qt::endl;
        return runDemo(parser, options, demoRegional, location, out, err);
    }
    if (parser.isSet(headless))
        return runHeadless(parser, options, regional, location, out, err);

#ifdef VOSTRAND_HAVE_UI
    if (vostrand::core::ui::windowsAvailable()) {
        const auto gui = vostrand::core::ui::guiOptions(parser, false, err);
        return gui ? vostrand::core::ui::runGui(*gui, location, regional, out, err) : kUsageError;
    }
#endif
    out << "VostrandNet " << QCoreApplication::applicationVersion() << Qt::endl
        << "configuration: " << location.iniFilePath() << Qt::endl;
    return reportHelperLibrary(location, out);
}

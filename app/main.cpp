#include "core/config_command_line.h"
#include "core/config_location.h"
#include "core/config_store.h"
#include "core/helper_library.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

using vostrand::core::ConfigCommandLine;
using vostrand::core::ConfigLocation;
using vostrand::core::ConfigStore;
using vostrand::core::HelperLibrary;

std::optional<QString> installFolder(const ConfigLocation& location)
{
    return ConfigStore(location.iniFilePath()).installPath();
}

int reportHelperLibrary(const ConfigLocation& location, QTextStream& out)
{
    const HelperLibrary library(HelperLibrary::searchPaths(installFolder(location),
                                                           QCoreApplication::applicationDirPath()));
    if (!library.isLoaded()) {
        out << library.loadError() << Qt::endl;
        return 1;
    }
    out << "helper library: " << library.fileName() << Qt::endl;
    for (const char* name : {"vsb2vsa", "vsb2vsa_m", "convert_MODBUS_ASCII_to_TCP"}) {
        if (!library.resolve(name)) {
            out << HelperLibrary::functionMissing(name) << Qt::endl;
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
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
    parser.addOptions({configDir, checkLibrary});
    const ConfigCommandLine configCommands;
    configCommands.addOptions(parser);
    parser.process(app);

    const auto location = ConfigLocation::resolve(
        parser.isSet(configDir) ? std::optional(parser.value(configDir)) : std::nullopt,
        QProcessEnvironment::systemEnvironment());

    QTextStream out(stdout);
    if (parser.isSet(checkLibrary))
        return reportHelperLibrary(location, out);
    if (configCommands.isRequested(parser)) {
        QTextStream err(stderr);
        return configCommands.run(parser, location, out, err);
    }

    out << "VostrandNet " << QCoreApplication::applicationVersion() << Qt::endl
        << "configuration: " << location.iniFilePath() << Qt::endl;
    return reportHelperLibrary(location, out);
}

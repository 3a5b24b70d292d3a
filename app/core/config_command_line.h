#pragma once

#include "core/config_location.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>

namespace vostrand::core {

class Station;

// The configuration options of the command line: list the devices and sensors, read and
// change settings by their persisted names, and write the settings dump.
class ConfigCommandLine
{
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;    // a file could not be written
    static constexpr int kUsageError = 2; // unknown name, bad value, malformed option

    ConfigCommandLine();

    void addOptions(QCommandLineParser& parser) const;
    // True when one of the options that make the program do this and exit is given.
    bool isRequested(const QCommandLineParser& parser) const;
    int run(const QCommandLineParser& parser, const ConfigLocation& location, QTextStream& out,
            QTextStream& err) const;

    static void listDevices(const Station& station, QTextStream& out);

private:
    QCommandLineOption m_listDevices;
    QCommandLineOption m_set;
    QCommandLineOption m_get;
    QCommandLineOption m_dumpSettings;
    QCommandLineOption m_dataDir;
};

} // namespace vostrand::core

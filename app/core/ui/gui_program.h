#pragma once

#include "core/config_location.h"
#include "core/regional_format.h"

#include <memory>
#include <optional>

#include <QString>
#include <QTextStream>

class QCommandLineParser;
class QCoreApplication;

namespace vostrand::core::ui {

struct GuiOptions
{
    bool demo = false;                 // poll the simulated plant in the window
    QString fileArgument;              // a file to open, as a second start would hand it over
    std::optional<QString> screenshot; // grab the window to this PNG after some passes, then end
    int screenshotAfterPasses = 3;
};

// `--screenshot FILE`, `--screenshot-after N` and the file to open.
void addGuiOptions(QCommandLineParser& parser);
// Null (with the reason written to `err`) for a malformed option.
std::optional<GuiOptions> guiOptions(const QCommandLineParser& parser, bool demo, QTextStream& err);

// The application object for this command line: with windows when the options ask for none
// of the console commands and a display is there, else a console application.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv);
// Whether makeApplication() made an application with windows.
bool windowsAvailable();

// Runs the program with its main window until the window is closed; the exit status. A
// second start hands its file to the running window and returns 0 at once.
int runGui(const GuiOptions& options, const ConfigLocation& location,
           const RegionalFormat& regional, QTextStream& out, QTextStream& err);

} // namespace vostrand::core::ui

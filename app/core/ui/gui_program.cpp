#include "core/ui/gui_program.h"

#include "acquisition/acquisition_thread.h"
#include "acquisition/demo_plant.h"
#include "acquisition/polling_texts.h"
#include "comm/bus_texts.h"
#include "core/config_store.h"
#include "core/helper_library.h"
#include "core/lang.h"
#include "core/log_file.h"
#include "core/main_window_rules.h"
#include "core/single_instance.h"
#include "core/station.h"
#include "core/ui/icons.h"
#include "core/ui/main_window.h"
#include "network/data_server.h"
#include "network/server_tick.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPixmap>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

namespace vostrand::core::ui {

namespace {

// Options that leave the choice of windows open; any other option is a console command.
const QSet<QString> kWindowOptionsWithValue = {
    QStringLiteral("config-dir"), QStringLiteral("locale"), QStringLiteral("screenshot"),
    QStringLiteral("screenshot-after")};
const QSet<QString> kWindowFlags = {QStringLiteral("demo")};

bool commandLineWantsWindows(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            continue; // a file to open
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool inlineValue = equals >= 0;
        if (inlineValue)
            name.truncate(equals);
        if (kWindowFlags.contains(name))
            continue;
        if (!kWindowOptionsWithValue.contains(name))
            return false;
        if (!inlineValue)
            ++i;
    }
    return true;
}

bool displayPresent()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

void loadLanguages(Lang& lang)
{
    QStringList folders = Lang::searchFolders(QCoreApplication::applicationDirPath());
#ifdef VOSTRAND_SOURCE_SHARE
    // Run from the build tree: the languages of the source tree.
    folders << QStringLiteral(VOSTRAND_SOURCE_SHARE "/lang");
#endif
    for (const QString& folder : folders)
        lang.loadFolder(folder);
}

std::unique_ptr<Station> loadStation(const ConfigLocation& location, QTextStream& err)
{
    auto station = std::make_unique<Station>(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const ConfigStore store(location.iniFilePath());
    QStringList ignored = store.loadSettings(*station).ignored;
    ignored += store.loadDevicesAndSensors(*station).ignored;
    for (const QString& line : ignored)
        err << "ignored in " << QDir::toNativeSeparators(store.fileName()) << ": " << line
            << Qt::endl;
    return station;
}

// Grabs the window after the asked passes, stops polling and closes the window.
class ScreenshotTaker : public QObject
{
public:
    ScreenshotTaker(MainWindow& window, acquisition::AcquisitionThread& acquisition, QString file,
                    int passes, QTextStream& out, QTextStream& err)
        : m_window(window)
        , m_acquisition(acquisition)
        , m_file(std::move(file))
        , m_passes(std::max(passes, 1))
        , m_out(out)
        , m_err(err)
    {
        connect(&window, &MainWindow::passShown, this, [this] {
            if (++m_seen == m_passes)
                // Let the list and the status bar draw the pass first.
                QTimer::singleShot(400, this, [this] { take(); });
        });
        connect(&acquisition, &acquisition::AcquisitionThread::pollingStopped, this,
                [this] { m_window.closeWithoutSaving(); });
        // A plant that never answers must not keep the run alive.
        QTimer::singleShot(120000, this, [this] {
            if (!m_taken) {
                m_err << "vostrandnet: no " << m_passes << " passes within 120 s" << Qt::endl;
                m_failed = true;
                take();
            }
        });
    }

    bool failed() const { return m_failed; }

private:
    void take()
    {
        if (m_taken)
            return;
        m_taken = true;
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        const QPixmap picture = m_window.grab();
        if (picture.save(m_file, "PNG")) {
            m_out << "screenshot: "
                  << QDir::toNativeSeparators(QFileInfo(m_file).absoluteFilePath()) << " ("
                  << picture.width() << "x" << picture.height() << ")" << Qt::endl;
        } else {
            m_err << "vostrandnet: cannot write " << m_file << Qt::endl;
            m_failed = true;
        }
        if (m_window.snapshot() && m_window.snapshot()->state != acquisition::PollingState::Stopped)
            m_acquisition.stopPolling();
        else
            m_window.closeWithoutSaving();
    }

    MainWindow& m_window;
    acquisition::AcquisitionThread& m_acquisition;
    QString m_file;
    int m_passes;
    QTextStream& m_out;
    QTextStream& m_err;
    int m_seen = 0;
    bool m_taken = false;
    bool m_failed = false;
};

} // namespace

void addGuiOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("With the window: save a picture of it to FILE (PNG) after "
                                     "some polling passes, then exit."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("screenshot-after"),
                      QStringLiteral("The passes --screenshot waits for (default 3)."),
                      QStringLiteral("N")});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A data file (.vst) or archive copy (.vsa, .vsb) "
                                                "to open; a running window takes it over."),
                                 QStringLiteral("[file]"));
}

std::optional<GuiOptions> guiOptions(const QCommandLineParser& parser, bool demo, QTextStream& err)
{
    GuiOptions options;
    options.demo = demo;
    // Absolute at once: the window changes the current folder, and a running window that
    // takes the file over has a current folder of its own.
    const QString file = parser.positionalArguments().value(0);
    if (!file.isEmpty())
        options.fileArgument = QFileInfo(file).absoluteFilePath();
    if (parser.isSet(QStringLiteral("screenshot")))
        options.screenshot =
            QFileInfo(parser.value(QStringLiteral("screenshot"))).absoluteFilePath();
    if (parser.isSet(QStringLiteral("screenshot-after"))) {
        bool ok = false;
        options.screenshotAfterPasses = parser.value(QStringLiteral("screenshot-after")).toInt(&ok);
        if (!ok || options.screenshotAfterPasses < 1) {
            err << "vostrandnet: --screenshot-after takes a number above 0" << Qt::endl;
            return std::nullopt;
        }
    }
    return options;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    if (commandLineWantsWindows(argc, argv) && displayPresent())
        return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

bool windowsAvailable()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

int runGui(const GuiOptions& options, const ConfigLocation& location,
           const RegionalFormat& regional, QTextStream& out, QTextStream& err)
{
    QGuiApplication::setDesktopFileName(QStringLiteral("vostrandnet"));
    QApplication::setWindowIcon(Icons::icon(Icons::Program));

    std::unique_ptr<acquisition::DemoPlant> plant;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<Station> station;
    QString configFile;
    bool firstStart = false;
    if (options.demo) {
        plant = std::make_unique<acquisition::DemoPlant>();
        if (const auto error = plant->start()) {
            err << "vostrandnet: demo: " << *error << Qt::endl;
            return 1;
        }
        out << "demo configuration: " << QDir::toNativeSeparators(plant->configFolder()) << Qt::endl
            << "demo data folder: " << QDir::toNativeSeparators(plant->dataFolder()) << Qt::endl;
        station = plant->station();
        configFile = ConfigLocation(plant->configFolder()).iniFilePath();
    } else {
        instance =
            std::make_unique<SingleInstance>(SingleInstance::serverNameFor(location.folder()));
        const SingleInstance::Role role = instance->start(options.fileArgument);
        if (role == SingleInstance::Role::HandedOver)
            return 0;
        if (role == SingleInstance::Role::Alone)
            err << "vostrandnet: files from later starts will not reach this window: "
                << instance->errorString() << Qt::endl;
        configFile = location.iniFilePath();
        firstStart = isFirstStart(configFile);
        station = loadStation(location, err);
    }

    Lang lang;
    loadLanguages(lang);
    lang.setCurrentIndex(station->settings().languageIndex());

    const HelperLibrary library(HelperLibrary::searchPaths(ConfigStore(configFile).installPath(),
                                                           QCoreApplication::applicationDirPath()));
    comm::AsciiToTcpConverter convert = [&library](const QByteArray& ascii, int transactionId,
                                                   QByteArray& tcp) {
        return library.convertModbusAsciiToTcp(ascii, transactionId, tcp);
    };

    MainWindowSetup setup;
    setup.configFile = configFile;
    setup.programFolder = QCoreApplication::applicationDirPath();
    setup.helperLibraryError = library.loadError();
    setup.convert = convert;
    setup.regional = regional;
    setup.firstStart = firstStart;
    setup.layout = station->windowLayout();
    setup.settings = station->settings();
    setup.fileArgument = options.fileArgument;
    setup.startPolling = options.demo;
    if (options.demo && !options.screenshot)
        setup.startupDelayMs = 300;

    acquisition::AcquisitionThread::Setup threadSetup;
    threadSetup.station = std::move(station);
    threadSetup.regional = regional;
    threadSetup.texts = acquisition::PollingTexts::fromLang(lang);
    threadSetup.busTexts = comm::BusTexts::fromLang(lang);
    threadSetup.convert = convert;
    threadSetup.serverSource = network::ServerTick::pollingSource();
    acquisition::AcquisitionThread acquisition(std::move(threadSetup));

    network::DataServer server(regional);
    server.setTexts(network::DataServerTexts::fromLang(lang));
    LogFile log(regional);
    setup.server = &server;
    setup.log = &log;

    MainWindow window(acquisition, lang, std::move(setup));
    if (instance)
        QObject::connect(instance.get(), &SingleInstance::handedOver, &window,
                         &MainWindow::handOver);
    std::unique_ptr<ScreenshotTaker> screenshot;
    if (options.screenshot)
        screenshot = std::make_unique<ScreenshotTaker>(window, acquisition, *options.screenshot,
                                                       options.screenshotAfterPasses, out, err);
    window.show();
    const int status = QApplication::exec();
    server.close();
    if (acquisition.lastSnapshot() &&
        acquisition.lastSnapshot()->state != acquisition::PollingState::Stopped) {
        // Closed without the orderly stop (a failed screenshot run): end with the last write.
        QEventLoop wait;
        QObject::connect(&acquisition, &acquisition::AcquisitionThread::pollingStopped, &wait,
                         &QEventLoop::quit);
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        acquisition.stopPolling();
        wait.exec();
    }
    if (screenshot && screenshot->failed())
        return 1;
    return status;
}

} // namespace vostrand::core::ui

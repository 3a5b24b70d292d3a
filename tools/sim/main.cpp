// vostrand-sim: simulated instruments on TCP and pseudo-terminals, for tests and demos.
#include "sim_command_line.h"
#include "simulator.h"
#include "simulator_host.h"

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {

using namespace vostrand::sim;

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// SIGINT and SIGTERM arrive through a descriptor the event loop watches: no handler runs in
// signal context and no flag is shared. Blocked before any thread starts, so all inherit it.
int blockStopSignals()
{
    sigset_t stopSet;
    sigemptyset(&stopSet);
    sigaddset(&stopSet, SIGINT);
    sigaddset(&stopSet, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSet, nullptr);
    return signalfd(-1, &stopSet, SFD_CLOEXEC | SFD_NONBLOCK);
}

void configure(Simulator& simulator, const SimSetup& setup)
{
    for (const InstrumentConfig& instrument : setup.instruments)
        simulator.addInstrument(instrument);
    for (const auto& [address, fault] : setup.faults)
        simulator.addFault(address, fault);
    simulator.setLateReplyMs(setup.lateReplyMs);
    simulator.setFaultSeed(setup.faultSeed);
}

} // namespace

int main(int argc, char* argv[])
{
    const int signalDescriptor = blockStopSignals();
    QCoreApplication application(argc, argv);
    const SimCommandLineResult parsed = SimCommandLine::parse(application.arguments().mid(1));
    if (!parsed.setup) {
        print(stderr,
              QStringLiteral("vostrand-sim: %1\n(--help lists the options)\n").arg(parsed.error));
        return 2;
    }
    if (parsed.setup->help) {
        print(stdout, SimCommandLine::usage());
        return 0;
    }
    if (signalDescriptor < 0) {
        print(stderr, QStringLiteral("vostrand-sim: cannot watch the stop signals\n"));
        return 1;
    }

    Simulator simulator;
    configure(simulator, *parsed.setup);
    SimulatorHost host(simulator);
    if (const std::optional<QString> error = host.start(parsed.setup->endpoints)) {
        print(stderr, QStringLiteral("vostrand-sim: %1\n").arg(*error));
        return 1;
    }
    QString banner;
    for (const EndpointInfo& endpoint : host.endpoints())
        banner += QStringLiteral("listening %1\n").arg(endpoint.description);
    print(stdout, banner + QStringLiteral("ready\n"));

    QSocketNotifier stopSignals(signalDescriptor, QSocketNotifier::Read);
    QObject::connect(&stopSignals, &QSocketNotifier::activated, &application, [signalDescriptor] {
        signalfd_siginfo info{};
        while (read(signalDescriptor, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });
    const int status = application.exec();
    host.stop(); // closes every endpoint and removes the pty links
    close(signalDescriptor);
    return status;
}

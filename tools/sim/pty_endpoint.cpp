#include "pty_endpoint.h"

#include "simulator.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

namespace vostrand::sim {

namespace {

// An RTU frame ends with a pause on the line; bytes of an unfinished frame older than this are
// garbage.
constexpr int kSilenceMs = 50;
constexpr qsizetype kReadChunk = 512;

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::PtyEndpoint(Simulator& simulator, QObject* parent)
    : QObject(parent)
    , m_simulator(simulator)
{
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, &PtyEndpoint::dropStale);
}

PtyEndpoint::~PtyEndpoint()
{
    close();
}

std::optional<QString> PtyEndpoint::open(const QString& link)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return systemError("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        const QString error = systemError("grantpt/unlockpt");
        close();
        return error;
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        const QString error = systemError("ptsname_r");
        close();
        return error;
    }
    m_devicePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios settings{};
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0) {
        const QString error = systemError("open terminal");
        close();
        return error;
    }
    cfmakeraw(&settings);
    tcsetattr(m_slave, TCSANOW, &settings);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

    // A link left by a run that was killed is replaced; anything else at that name is kept.
    const QFileInfo existing(link);
    if (existing.isSymLink())
        QFile::remove(link);
    if (!QFile::link(m_devicePath, link)) {
        close();
        return QStringLiteral("cannot create the link %1").arg(link);
    }
    m_link = link;
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyEndpoint::readRequests);
    return std::nullopt;
}

void PtyEndpoint::readRequests()
{
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t count = ::read(m_master, chunk, sizeof chunk);
        if (count <= 0)
            break;
        m_splitter.append(QByteArrayView(chunk, count));
    }
    answerPending();
}

void PtyEndpoint::answerPending()
{
    while (const std::optional<SplitFrame> frame = m_splitter.next()) {
        const SimResponse response = m_simulator.respond(frame->framing, frame->bytes);
        if (!response.reply)
            continue; // a line has nothing to disconnect
        if (response.delayMs > 0)
            QTimer::singleShot(response.delayMs, this,
                               [this, reply = *response.reply] { write(reply); });
        else
            write(*response.reply);
    }
    if (m_splitter.hasPending())
        m_silence.start();
}

void PtyEndpoint::dropStale()
{
    while (m_splitter.hasPending()) {
        m_splitter.dropStaleByte();
        answerPending();
    }
}

void PtyEndpoint::write(const QByteArray& bytes)
{
    // Non-blocking: with nobody reading the line a full buffer drops the reply, as a line would.
    if (m_master >= 0)
        (void)::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void PtyEndpoint::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (!m_link.isEmpty() && QFileInfo(m_link).isSymLink())
        QFile::remove(m_link);
    m_link.clear();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

} // namespace vostrand::sim

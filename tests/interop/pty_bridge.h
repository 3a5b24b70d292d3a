// Two pseudo-terminals wired back to back: what one side writes to its terminal the other side
// reads from its own, as on a cable. Both ends are real tty devices, so a peer that insists on
// opening a serial port by path (libmodbus RTU) can face our SerialTransport.
#pragma once

#include <array>
#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include <QString>

namespace vostrand::interop {

class PtyBridge
{
public:
    PtyBridge()
    {
        for (End& end : m_ends) {
            if (!openEnd(end))
                return;
        }
        m_thread = std::thread([this] { relay(); });
    }
    ~PtyBridge()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (End& end : m_ends) {
            if (end.keeper >= 0)
                ::close(end.keeper);
            if (end.master >= 0)
                ::close(end.master);
        }
    }
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    bool ok() const { return m_thread.joinable(); }
    const QString& firstPath() const { return m_ends[0].path; }
    const QString& secondPath() const { return m_ends[1].path; }

private:
    struct End
    {
        int master = -1;
        int keeper = -1; // the terminal held open so its master never reads a hang-up
        QString path;
    };

    static bool openEnd(End& end)
    {
        end.master = posix_openpt(O_RDWR | O_NOCTTY);
        if (end.master < 0 || grantpt(end.master) != 0 || unlockpt(end.master) != 0)
            return false;
        char name[128] = {};
        if (ptsname_r(end.master, name, sizeof name) != 0)
            return false;
        end.keeper = ::open(name, O_RDWR | O_NOCTTY);
        termios settings{};
        if (end.keeper < 0 || tcgetattr(end.keeper, &settings) != 0)
            return false;
        // Raw from the start: no echo or line editing before a client sets its own mode.
        cfmakeraw(&settings);
        tcsetattr(end.keeper, TCSANOW, &settings);
        end.path = QString::fromLocal8Bit(name);
        return true;
    }

    void relay()
    {
        while (!m_stop) {
            std::array<pollfd, 2> fds{pollfd{m_ends[0].master, POLLIN, 0},
                                      pollfd{m_ends[1].master, POLLIN, 0}};
            if (poll(fds.data(), fds.size(), 10) <= 0)
                continue;
            for (std::size_t from = 0; from < 2; ++from) {
                if (fds[from].revents & POLLIN)
                    forward(m_ends[from].master, m_ends[1 - from].master);
            }
        }
    }

    static void forward(int from, int to)
    {
        char chunk[512];
        const ssize_t count = ::read(from, chunk, sizeof chunk);
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::write(to, chunk + done, static_cast<size_t>(count - done));
            if (written <= 0)
                return;
            done += written;
        }
    }

    std::array<End, 2> m_ends;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

} // namespace vostrand::interop

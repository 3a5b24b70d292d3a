// A Modbus server from libmodbus on a thread of its own: holding registers 0 .. count − 1 in a
// libmodbus mapping, served over Modbus TCP on loopback (a new connection per exchange is
// fine) or over RTU on a tty path. Anything outside the mapping gets libmodbus's own
// exception 02, illegal data address.
#pragma once

#include <atomic>
#include <cerrno>
#include <memory>
#include <modbus/modbus.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <QString>
#include <QtGlobal>

namespace vostrand::interop {

class LibmodbusServer
{
public:
    static constexpr int kSlave = 1;

    // Loopback, on a port the system picks.
    static std::unique_ptr<LibmodbusServer> tcp(int registerCount)
    {
        auto server = std::unique_ptr<LibmodbusServer>(new LibmodbusServer(registerCount));
        server->m_context = modbus_new_tcp("127.0.0.1", 0);
        if (!server->m_context)
            return nullptr;
        server->m_listener = modbus_tcp_listen(server->m_context, 1);
        if (server->m_listener < 0)
            return nullptr;
        sockaddr_in bound{};
        socklen_t size = sizeof bound;
        if (getsockname(server->m_listener, reinterpret_cast<sockaddr*>(&bound), &size) != 0)
            return nullptr;
        server->m_port = ntohs(bound.sin_port);
        server->start([raw = server.get()] { raw->serveTcp(); });
        return server;
    }

    // Slave 1 on the terminal at `path`, 8N1.
    static std::unique_ptr<LibmodbusServer> rtu(const QString& path, int baud, int registerCount)
    {
        auto server = std::unique_ptr<LibmodbusServer>(new LibmodbusServer(registerCount));
        server->m_context = modbus_new_rtu(path.toLocal8Bit().constData(), baud, 'N', 8, 1);
        if (!server->m_context || modbus_set_slave(server->m_context, kSlave) != 0 ||
            modbus_connect(server->m_context) != 0)
            return nullptr;
        server->start([raw = server.get()] { raw->serveRtu(); });
        return server;
    }

    ~LibmodbusServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
        if (m_context) {
            modbus_close(m_context);
            modbus_free(m_context);
        }
        if (m_mapping)
            modbus_mapping_free(m_mapping);
    }
    LibmodbusServer(const LibmodbusServer&) = delete;
    LibmodbusServer& operator=(const LibmodbusServer&) = delete;

    quint16 port() const { return m_port; }
    int requestCount() const { return m_requests.load(); }

    quint16 registerAt(int address) const
    {
        const std::lock_guard lock(m_mutex);
        return m_mapping->tab_registers[address];
    }
    void setRegister(int address, quint16 value)
    {
        const std::lock_guard lock(m_mutex);
        m_mapping->tab_registers[address] = value;
    }

private:
    // How often the serving loop looks at the stop flag.
    static constexpr int kPollMs = 20;

    explicit LibmodbusServer(int registerCount)
        : m_mapping(modbus_mapping_new(0, 0, registerCount, 0))
    {}

    template <typename Serve> void start(Serve serve)
    {
        modbus_set_indication_timeout(m_context, 0, kPollMs * 1000);
        m_thread = std::thread(std::move(serve));
    }

    void serveTcp()
    {
        while (!m_stop) {
            pollfd listener{m_listener, POLLIN, 0};
            if (poll(&listener, 1, kPollMs) <= 0)
                continue;
            int socket = m_listener;
            if (modbus_tcp_accept(m_context, &socket) < 0)
                continue;
            serveConnection();
            modbus_close(m_context);
        }
    }

    void serveRtu() { serveConnection(); }

    // Until the peer goes (TCP) or the server stops.
    void serveConnection()
    {
        uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
        while (!m_stop) {
            const int length = modbus_receive(m_context, request);
            if (length > 0) {
                const std::lock_guard lock(m_mutex);
                modbus_reply(m_context, request, length, m_mapping);
                ++m_requests;
            } else if (length < 0 && errno != ETIMEDOUT && m_port != 0) {
                return; // the client closed its connection
            }
        }
    }

    modbus_mapping_t* m_mapping = nullptr;
    modbus_t* m_context = nullptr;
    int m_listener = -1;
    quint16 m_port = 0;
    mutable std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
};

} // namespace vostrand::interop

#pragma once

#include <mutex>
#include <optional>

#include <QString>
#include <QStringList>

namespace vostrand::network {

// The listing built by the last "ipscan", shared by every connection: a client reads the
// count and then line after line over new connections, so a rebuild for one client must
// never show another client half a listing.
class ScanListing
{
public:
    // Replaces the listing; its line count.
    qsizetype replace(QStringList lines)
    {
        const std::lock_guard lock(m_mutex);
        m_lines = std::move(lines);
        return m_lines.size();
    }

    // Null when no listing holds line `index`.
    std::optional<QString> line(qsizetype index) const
    {
        const std::lock_guard lock(m_mutex);
        if (index < 0 || index >= m_lines.size())
            return std::nullopt;
        return m_lines.at(index);
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

} // namespace vostrand::network

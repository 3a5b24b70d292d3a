#pragma once

#include "comm/exchange_results.h"

#include <QChar>
#include <QStringView>

namespace vostrand::comm {

class Bus;

// One command of the maker's protocol on the serial line, and its reply. The protocol has no
// TCP form. Bus thread only.
class MakerExchange
{
public:
    explicit MakerExchange(Bus& bus);

    // `netAdress` is the device's hex address; the request carries it in decimal.
    MakerReply Exchange(QStringView netAdress, QChar command, bool overTcp);

private:
    Bus& m_bus;
};

} // namespace vostrand::comm

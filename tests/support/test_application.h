// The application object that Qt's sockets, serial ports and event loops want; tests make
// one on first use.
#pragma once

#include <QCoreApplication>

namespace vostrand::testing_support {

inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "vostrand_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

} // namespace vostrand::testing_support

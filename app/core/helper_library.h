#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace vostrand::core {

// The outcome of one call through the helper library: the export's own integer result, or
// the binding failure (library or export missing) with the text to show the user.
struct LibraryCall
{
    std::optional<std::int32_t> result;
    QString bindingError;

    bool bound() const { return result.has_value(); }
};

// The helper library vostrand_lib, bound by name at run time and never linked, so that a
// missing library fails only the paths that need it. Unloaded when the object goes.
class HelperLibrary
{
public:
    static constexpr const char* kBaseName = "vostrand_lib";
    static const QString kLibraryMissing;

    // Where to look, in order: the configured install folder when there is one; otherwise
    // beside the program, then the installed library folder, then the bare name.
    static QStringList searchPaths(const std::optional<QString>& installFolder,
                                   const QString& programFolder);

    explicit HelperLibrary(QStringList searchPaths);
    ~HelperLibrary();
    HelperLibrary(const HelperLibrary&) = delete;
    HelperLibrary& operator=(const HelperLibrary&) = delete;

    bool isLoaded() const { return m_library != nullptr; }
    // Empty when loaded, else the user's message for a missing library.
    QString loadError() const { return isLoaded() ? QString() : kLibraryMissing; }
    QString fileName() const;

    // The text shown when `exportName` cannot be had from the library.
    static QString functionMissing(const char* exportName);

    // The address of an export, or null (also when the library itself is missing).
    QFunctionPointer resolve(const char* exportName) const;

    LibraryCall vsb2vsa(const QString& source, const QString& target, int address) const;
    LibraryCall vsb2vsa_m(const QString& folder, const QString& target) const;
    // Result = length of the TCP frame placed in `tcpFrame` (0 when the text is no frame).
    LibraryCall convertModbusAsciiToTcp(const QByteArray& asciiFrame, int transactionId,
                                        QByteArray& tcpFrame) const;

private:
    std::unique_ptr<QLibrary> m_library;
};

} // namespace vostrand::core

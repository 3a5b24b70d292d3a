#include "core/helper_library.h"

#include <QDir>
#include <QFile>

namespace vostrand::core {

namespace {

using Vsb2VsaFn = std::int32_t (*)(const char*, const char*, std::int32_t);
using Vsb2VsaMFn = std::int32_t (*)(const char*, const char*);
using AsciiToTcpFn = std::int32_t (*)(const char*, std::uint8_t*, std::int32_t);

QString platformFileName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("vostrand_lib.dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("libvostrand_lib.dylib");
#else
    return QStringLiteral("libvostrand_lib.so");
#endif
}

template <typename Fn>
Fn resolveAs(const HelperLibrary& library, const char* exportName)
{
    return reinterpret_cast<Fn>(library.resolve(exportName));
}

LibraryCall missing(const char* exportName)
{
    return {std::nullopt, HelperLibrary::functionMissing(exportName)};
}

// Archive conversions load the library per call, so they report the library itself missing.
LibraryCall conversionMissing(const HelperLibrary& library, const char* exportName)
{
    return library.isLoaded() ? missing(exportName)
                              : LibraryCall{std::nullopt, HelperLibrary::kLibraryMissing};
}

} // namespace

const QString HelperLibrary::kLibraryMissing =
    QStringLiteral("Ошибка - не доступна библиотека vostrand_lib.dll");

QStringList HelperLibrary::searchPaths(const std::optional<QString>& installFolder,
                                       const QString& programFolder)
{
    const QString file = platformFileName();
    if (installFolder)
        return {QDir(*installFolder).filePath(file)};
    QStringList paths;
    if (!programFolder.isEmpty()) {
        paths << QDir(programFolder).filePath(file)
              << QDir(programFolder).filePath(QStringLiteral("../lib/vostrandnet/") + file);
    }
    paths << file;
    return paths;
}

HelperLibrary::HelperLibrary(QStringList searchPaths)
{
    for (const QString& path : searchPaths) {
        auto library = std::make_unique<QLibrary>(path);
        if (library->load()) {
            m_library = std::move(library);
            return;
        }
    }
}

HelperLibrary::~HelperLibrary()
{
    if (m_library)
        m_library->unload();
}

QString HelperLibrary::fileName() const
{
    return m_library ? m_library->fileName() : QString();
}

QString HelperLibrary::functionMissing(const char* exportName)
{
    return QStringLiteral("Ошибка - не доступна функция %1 библиотеки vostrand_lib.dll")
        .arg(QLatin1String(exportName));
}

QFunctionPointer HelperLibrary::resolve(const char* exportName) const
{
    return m_library ? m_library->resolve(exportName) : nullptr;
}

LibraryCall HelperLibrary::vsb2vsa(const QString& source, const QString& target,
                                   int address) const
{
    const auto fn = resolveAs<Vsb2VsaFn>(*this, "vsb2vsa");
    if (!fn)
        return conversionMissing(*this, "vsb2vsa");
    return {fn(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(),
               address),
            {}};
}

LibraryCall HelperLibrary::vsb2vsa_m(const QString& folder, const QString& target) const
{
    const auto fn = resolveAs<Vsb2VsaMFn>(*this, "vsb2vsa_m");
    if (!fn)
        return conversionMissing(*this, "vsb2vsa_m");
    return {fn(QFile::encodeName(folder).constData(), QFile::encodeName(target).constData()),
            {}};
}

LibraryCall HelperLibrary::convertModbusAsciiToTcp(const QByteArray& asciiFrame,
                                                   int transactionId,
                                                   QByteArray& tcpFrame) const
{
    // The missing library was reported once when it was bound; each frame reports the export.
    const auto fn = resolveAs<AsciiToTcpFn>(*this, "convert_MODBUS_ASCII_to_TCP");
    if (!fn)
        return missing("convert_MODBUS_ASCII_to_TCP");
    // Six header bytes plus at most one byte per two characters of the text.
    tcpFrame.resize(6 + asciiFrame.size() / 2 + 1);
    const std::int32_t length = fn(asciiFrame.constData(),
                                   reinterpret_cast<std::uint8_t*>(tcpFrame.data()),
                                   transactionId);
    tcpFrame.resize(length > 0 ? length : 0);
    return {length, {}};
}

} // namespace vostrand::core

#include "core/config_location.h"

#include <QDir>
#include <QStandardPaths>

namespace vostrand::core {

ConfigLocation ConfigLocation::resolve(const std::optional<QString>& configDirOption,
                                       const QProcessEnvironment& environment)
{
    if (configDirOption && !configDirOption->isEmpty())
        return ConfigLocation(*configDirOption);
    const QString fromEnvironment = environment.value(QLatin1String(kEnvironmentVariable));
    if (!fromEnvironment.isEmpty())
        return ConfigLocation(fromEnvironment);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return ConfigLocation(QDir(base).filePath(QStringLiteral("Vostrandnet")));
}

ConfigLocation::ConfigLocation(QString folder)
    : m_folder(QDir::cleanPath(std::move(folder)))
{
}

QString ConfigLocation::iniFilePath() const
{
    return QDir(m_folder).filePath(QStringLiteral("Vostrandnet.ini"));
}

} // namespace vostrand::core

#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace vostrand::core {

// Where the configuration file lives: `--config-dir DIR`, else VOSTRAND_CONFIG_DIR, else the
// user's configuration folder ($XDG_CONFIG_HOME/Vostrandnet). Tests always pass a folder.
class ConfigLocation
{
public:
    static constexpr const char* kEnvironmentVariable = "VOSTRAND_CONFIG_DIR";

    static ConfigLocation resolve(const std::optional<QString>& configDirOption,
                                  const QProcessEnvironment& environment);
    explicit ConfigLocation(QString folder);

    const QString& folder() const { return m_folder; }
    QString iniFilePath() const;

private:
    QString m_folder;
};

} // namespace vostrand::core

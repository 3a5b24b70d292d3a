// The program's image list: the indices the tables, lists and menus store, and named
// accessors for the commands. The images come from the :/icons resource (SVG, drawn for the
// program), so they stay sharp at any scale.
#pragma once

#include <QIcon>
#include <QString>

namespace vostrand::core::ui {

class Icons
{
public:
    // Indices of the image list that stored files, lists and the polling cycle refer to.
    enum Index : int
    {
        NoIcon = -1,
        Program = 0,
        DataFile = 1,      // .vst
        TextArchive = 2,   // .vsa
        BinaryArchive = 3, // .vsb
        ProgramAction = 5, // program running a ramp or hold
        ProgramEnded = 6,  // program finished
        Unmarked = 7,      // "Датчики" header: rows not all marked; also program stopped
        Chart = 13,        // recorder tool button, circular mode
        Marked = 27,       // "Датчики" header: every row marked
        ProgramWaiting = 36,
        ProgramJump = 41,
        Neutral = 43, // no tolerance zone or no value
        Below = 45,   // outside the zone on the low side (heater) / high side (cooler)
        Above = 46,
        Inside = 47, // inside the tolerance zone
        SetpointRow = 54,
        PowerRow = 55,
        Table = 56, // recorder tool button, table mode
        Device = 57,
        Locked = 60, // "Закрепить настройки" checked
        Unlocked = 61,
        NotRead = 69, // program status not read
    };

    // The image at `index`; a null icon for -1 or an index without an image.
    static QIcon icon(int index);
    // Whether `index` has an image.
    static bool has(int index);

    // Commands of the menus and tool bars.
    static QIcon start() { return named(QStringLiteral("start")); }
    static QIcon stop() { return named(QStringLiteral("stop")); }
    static QIcon settings() { return named(QStringLiteral("settings")); }
    static QIcon addDevice() { return named(QStringLiteral("add-device")); }
    static QIcon deleteDevice() { return named(QStringLiteral("delete-device")); }
    static QIcon searchDevices() { return named(QStringLiteral("search")); }
    static QIcon recorder() { return named(QStringLiteral("recorder")); }
    static QIcon openFile() { return named(QStringLiteral("open")); }
    static QIcon save() { return named(QStringLiteral("save")); }
    static QIcon archive() { return named(QStringLiteral("archive")); }
    static QIcon download() { return named(QStringLiteral("download")); }
    static QIcon controlPanel() { return named(QStringLiteral("control-panel")); }
    static QIcon commandLine() { return named(QStringLiteral("terminal")); }
    static QIcon server() { return named(QStringLiteral("server")); }
    static QIcon network() { return named(QStringLiteral("network")); }
    static QIcon properties() { return named(QStringLiteral("properties")); }
    static QIcon units() { return named(QStringLiteral("units")); }
    static QIcon scale() { return named(QStringLiteral("scale")); }
    static QIcon serviceZone() { return named(QStringLiteral("service-zone")); }
    static QIcon storagePeriod() { return named(QStringLiteral("clock")); }
    static QIcon clock() { return named(QStringLiteral("clock")); }
    static QIcon table() { return icon(Table); }
    static QIcon sensorPanel() { return named(QStringLiteral("sidebar")); }
    static QIcon synchronise() { return named(QStringLiteral("sync")); }
    static QIcon toleranceZone() { return named(QStringLiteral("tolerance")); }
    static QIcon setpoint() { return named(QStringLiteral("setpoint")); }
    static QIcon rename() { return named(QStringLiteral("rename")); }
    static QIcon font() { return named(QStringLiteral("font")); }
    static QIcon colour() { return named(QStringLiteral("colour")); }
    static QIcon help() { return named(QStringLiteral("help")); }
    static QIcon about() { return named(QStringLiteral("about")); }
    static QIcon language() { return named(QStringLiteral("language")); }
    static QIcon exit() { return named(QStringLiteral("exit")); }
    static QIcon tile() { return named(QStringLiteral("tile")); }
    static QIcon cascade() { return named(QStringLiteral("cascade")); }
    static QIcon database() { return named(QStringLiteral("database")); }
    static QIcon merge() { return named(QStringLiteral("merge")); }
    static QIcon alarm() { return named(QStringLiteral("alarm")); }
    static QIcon lock() { return icon(Locked); }
    static QIcon unlock() { return icon(Unlocked); }

    // ":/icons/<name>.svg"; a null icon when the resource lacks it.
    static QIcon named(const QString& name);
};

} // namespace vostrand::core::ui

#pragma once

#include "acquisition/station_snapshot.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

namespace vostrand::acquisition::ui {

// The rows of the sensor list from the published snapshots. Texts and icons come as the core
// computed them; a new snapshot only signals the cells that changed, so that a list of
// hundreds of rows stays smooth at one pass a second. Check boxes and renaming are requests:
// the panel posts them as edits, and the row shows the wish until the edit is applied.
class SensorListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn, // "Датчики", the check box, the tolerance icon
        AddressColumn,
        SignalColumn,
        SetpointColumn, // with the program-state icon
        UnitColumn,
        PowerColumn,
        ColumnCount,
    };

    // What one row shows.
    struct Shown
    {
        QString name;
        QString address;
        QString signal;
        QString setpoint;
        QString unit;
        QString power;
        qint16 icon = 43;
        std::optional<qint16> programIcon;
        bool checked = false;

        bool operator==(const Shown&) const = default;
    };

    using HintProvider = std::function<QString(int row)>;

    explicit SensorListModel(QObject* parent = nullptr);

    void setSnapshot(SnapshotPtr snapshot);
    const SnapshotPtr& snapshot() const { return m_snapshot; }
    const Shown& shown(int row) const { return m_shown.at(static_cast<std::size_t>(row)); }

    // Renaming is refused while polling runs.
    void setRenameAllowed(bool allowed) { m_renameAllowed = allowed; }
    void setHintProvider(HintProvider provider) { m_hint = std::move(provider); }
    // The "Датчики" header icon: 7 (next click marks all) or 27 (next click clears all).
    void setHeaderIcon(int icon);
    int headerIcon() const { return m_headerIcon; }

    // Asks for these rows' check boxes; rows that end unchecked lose their value texts until
    // the next pass refreshes them.
    void requestChecked(const std::vector<int>& rows, bool checked);
    // The edit asked for by requestChecked() has been applied to the tables.
    void checksApplied(const std::vector<int>& rows);
    // Texts the panel sets after a device command, kept until the next pass.
    void setSetpointText(int row, const QString& text);
    void setPowerText(int row, const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // The panel posts these as table edits.
    void checkRequested(std::vector<int> rows, bool checked);
    void renameRequested(int row, const QString& typed);

private:
    struct Override
    {
        std::optional<QString> signal;
        std::optional<QString> setpoint;
        std::optional<QString> power;
    };
    struct PendingCheck
    {
        bool checked = false;
        int edits = 0;
    };

    Shown shownOf(int row) const;
    void refreshRows(const std::vector<int>& rows);
    static bool samePass(const StationSnapshot& a, const StationSnapshot& b);

    SnapshotPtr m_snapshot;
    std::vector<Shown> m_shown;
    std::map<int, Override> m_overrides;
    std::map<int, PendingCheck> m_pendingChecks;
    HintProvider m_hint;
    bool m_renameAllowed = true;
    int m_headerIcon = 7;
};

} // namespace vostrand::acquisition::ui

Q_DECLARE_METATYPE(std::vector<int>)

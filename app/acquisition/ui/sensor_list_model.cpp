#include "acquisition/ui/sensor_list_model.h"

#include "core/sensor_address.h"
#include "core/ui/icons.h"

#include <algorithm>

namespace vostrand::acquisition::ui {

namespace {

const std::array<QString, SensorListModel::ColumnCount> kCaptions = {
    QStringLiteral("Датчики"), QStringLiteral("Адр"), QStringLiteral("Сигнал"),
    QStringLiteral("SP"),      QStringLiteral("Ед."), QStringLiteral("Pw,%")};

} // namespace

SensorListModel::SensorListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    qRegisterMetaType<std::vector<int>>();
}

bool SensorListModel::samePass(const StationSnapshot& a, const StationSnapshot& b)
{
    return a.passCounter == b.passCounter && a.passTime == b.passTime && a.state == b.state;
}

void SensorListModel::setSnapshot(SnapshotPtr snapshot)
{
    if (!snapshot)
        return;
    if (!m_snapshot || !samePass(*m_snapshot, *snapshot))
        m_overrides.clear();
    m_snapshot = std::move(snapshot);
    const int count = m_snapshot->sensors.SensCount();
    if (count != static_cast<int>(m_shown.size())) {
        // Another table (devices added or removed): what was asked for no longer applies.
        beginResetModel();
        m_overrides.clear();
        m_pendingChecks.clear();
        m_shown.clear();
        m_shown.reserve(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            m_shown.push_back(shownOf(row));
        endResetModel();
        return;
    }
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        rows[static_cast<std::size_t>(row)] = row;
    refreshRows(rows);
}

void SensorListModel::refreshRows(const std::vector<int>& rows)
{
    // Consecutive changed rows go out as one range, so a pass that changes every value costs
    // one signal instead of hundreds.
    int first = -1;
    int last = -1;
    const auto flush = [this, &first, &last] {
        if (first >= 0)
            emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
        first = last = -1;
    };
    for (const int row : rows) {
        if (row < 0 || row >= static_cast<int>(m_shown.size()))
            continue;
        Shown now = shownOf(row);
        Shown& before = m_shown[static_cast<std::size_t>(row)];
        if (now == before)
            continue;
        before = std::move(now);
        if (first >= 0 && row == last + 1) {
            last = row;
        } else {
            flush();
            first = last = row;
        }
    }
    flush();
}

SensorListModel::Shown SensorListModel::shownOf(int row) const
{
    Shown shown;
    const core::SensorRecord& sensor = m_snapshot->sensors.at(row);
    shown.name = sensor.Name;
    shown.address = core::SensorAddress::textOf(sensor);
    shown.unit = sensor.Dimension;
    shown.checked = sensor.Aktiv;
    if (static_cast<std::size_t>(row) < m_snapshot->rows.size()) {
        const SensorRow& values = m_snapshot->rows[static_cast<std::size_t>(row)];
        shown.signal = values.signal;
        shown.setpoint = values.setpoint;
        shown.power = values.power;
        shown.icon = values.icon;
        shown.programIcon = values.programIcon;
    }
    if (const auto pending = m_pendingChecks.find(row); pending != m_pendingChecks.end())
        shown.checked = pending->second.checked;
    if (const auto found = m_overrides.find(row); found != m_overrides.end()) {
        const Override& o = found->second;
        shown.signal = o.signal.value_or(shown.signal);
        shown.setpoint = o.setpoint.value_or(shown.setpoint);
        shown.power = o.power.value_or(shown.power);
    }
    return shown;
}

void SensorListModel::setHeaderIcon(int icon)
{
    if (icon == m_headerIcon)
        return;
    m_headerIcon = icon;
    emit headerDataChanged(Qt::Horizontal, NameColumn, NameColumn);
}

void SensorListModel::requestChecked(const std::vector<int>& rows, bool checked)
{
    std::vector<int> asked;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        PendingCheck& pending = m_pendingChecks[row];
        pending.checked = checked;
        ++pending.edits;
        if (!checked)
            m_overrides[row] = Override{QString(), QString(), QString()};
        asked.push_back(row);
    }
    if (asked.empty())
        return;
    refreshRows(asked);
    emit checkRequested(asked, checked);
}

void SensorListModel::checksApplied(const std::vector<int>& rows)
{
    for (const int row : rows) {
        const auto pending = m_pendingChecks.find(row);
        if (pending != m_pendingChecks.end() && --pending->second.edits <= 0)
            m_pendingChecks.erase(pending);
    }
}

void SensorListModel::setSetpointText(int row, const QString& text)
{
    if (row < 0 || row >= rowCount())
        return;
    m_overrides[row].setpoint = text;
    refreshRows({row});
}

void SensorListModel::setPowerText(int row, const QString& text)
{
    if (row < 0 || row >= rowCount())
        return;
    m_overrides[row].power = text;
    refreshRows({row});
}

int SensorListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int SensorListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SensorListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Shown& row = shown(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            return row.name;
        case AddressColumn:
            return row.address;
        case SignalColumn:
            return row.signal;
        case SetpointColumn:
            return row.setpoint;
        case UnitColumn:
            return row.unit;
        case PowerColumn:
            return row.power;
        default:
            return {};
        }
    case Qt::CheckStateRole:
        if (index.column() == NameColumn)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (index.column() == NameColumn)
            return core::ui::Icons::icon(row.icon);
        if (index.column() == SetpointColumn && row.programIcon)
            return core::ui::Icons::icon(*row.programIcon);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SignalColumn || index.column() == SetpointColumn ||
            index.column() == PowerColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return m_hint ? QVariant(m_hint(index.row())) : QVariant();
    default:
        return {};
    }
}

QVariant SensorListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return kCaptions[static_cast<std::size_t>(section)];
    if (role == Qt::DecorationRole && section == NameColumn)
        return core::ui::Icons::icon(m_headerIcon);
    return {};
}

Qt::ItemFlags SensorListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == NameColumn) {
        flags |= Qt::ItemIsUserCheckable;
        if (m_renameAllowed)
            flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool SensorListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != NameColumn)
        return false;
    if (role == Qt::CheckStateRole) {
        requestChecked({index.row()}, value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole) {
        if (!m_renameAllowed)
            return false;
        emit renameRequested(index.row(), value.toString());
        return true;
    }
    return false;
}

} // namespace vostrand::acquisition::ui

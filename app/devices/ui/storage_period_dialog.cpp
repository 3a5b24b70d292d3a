#include "devices/ui/storage_period_dialog.h"

#include "acquisition/acquisition_thread.h"
#include "core/lang.h"
#include "core/sensor_address.h"
#include "core/station.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

constexpr int kPeriodColumn = 0;
constexpr int kSensorColumn = 1;

// Digits only in the editor; "+" and "−" step it by a polling period, other keys are dropped.
// The view installs the delegate as the editor's event filter.
class PeriodDelegate : public QStyledItemDelegate
{
public:
    PeriodDelegate(int pollingPeriodS, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_pollingPeriodS(pollingPeriodS)
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("PeriodEditor"));
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), editor));
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        const auto* line = static_cast<QLineEdit*>(editor);
        // Text that is no number is not taken: the row keeps its period.
        if (const std::optional<int> period = StoragePeriod::parse(line->text(), m_pollingPeriodS))
            model->setData(index, QString::number(*period), Qt::EditRole);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* line = qobject_cast<QLineEdit*>(watched);
        if (line != nullptr && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (text.size() == 1) {
                const StoragePeriod::Key kind = StoragePeriod::classify(text.front());
                if (kind == StoragePeriod::Key::Increase || kind == StoragePeriod::Key::Decrease) {
                    const int current =
                        StoragePeriod::parse(line->text(), m_pollingPeriodS).value_or(0);
                    line->setText(QString::number(StoragePeriod::step(
                        current, kind == StoragePeriod::Key::Increase ? 1 : -1, m_pollingPeriodS)));
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    int m_pollingPeriodS;
};

} // namespace

StoragePeriodDialog::StoragePeriodDialog(const acquisition::StationSnapshot& snapshot,
                                         const core::Lang& lang, QWidget* parent)
    : QDialog(parent)
    , m_rows(storagePeriodChoices(snapshot.sensors, snapshot.settings.pollingPeriodS()))
    , m_pollingPeriodS(std::max(snapshot.settings.pollingPeriodS(), 1))
{
    Q_UNUSED(lang);
    setObjectName(QStringLiteral("TOKRightDlg5"));
    setWindowTitle(QStringLiteral("Хранение в базе и шаг"));

    m_table = new QTableWidget(static_cast<int>(m_rows.size()), 2);
    m_table->setObjectName(QStringLiteral("ListView1"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Период, секунд"), QStringLiteral("Датчик   Адрес.Канал")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setItemDelegateForColumn(kPeriodColumn, new PeriodDelegate(m_pollingPeriodS, this));
    m_table->installEventFilter(this);
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        const StoragePeriodChoice& choice = m_rows[static_cast<std::size_t>(row)];
        const core::SensorRecord& sensor = snapshot.sensors.at(choice.sensorIndex);
        auto* period = new QTableWidgetItem(QString::number(choice.period));
        period->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                         Qt::ItemIsUserCheckable);
        period->setCheckState(choice.stored ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(row, kPeriodColumn, period);
        auto* name = new QTableWidgetItem(sensor.Name + QStringLiteral("  ") +
                                          core::SensorAddress::textOf(sensor));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, kSensorColumn, name);
    }
    if (!m_rows.empty())
        m_table->setCurrentCell(0, kPeriodColumn);

    auto* up = new QToolButton;
    up->setObjectName(QStringLiteral("UpDown1Up"));
    up->setArrowType(Qt::UpArrow);
    connect(up, &QToolButton::clicked, this, [this] { stepCurrent(1); });
    auto* down = new QToolButton;
    down->setObjectName(QStringLiteral("UpDown1Down"));
    down->setArrowType(Qt::DownArrow);
    connect(down, &QToolButton::clicked, this, [this] { stepCurrent(-1); });
    auto* steps = new QVBoxLayout;
    steps->addWidget(up);
    steps->addWidget(down);
    steps->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* rows = new QHBoxLayout;
    rows->addWidget(m_table, 1);
    rows->addLayout(steps);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Кратно периоду опроса приборов править + -")));
    layout->addLayout(rows);
    layout->addWidget(buttons);
    resize(460, 420);
}

bool StoragePeriodDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                              const core::Lang& lang)
{
    const acquisition::SnapshotPtr snapshot = acquisition.lastSnapshot();
    if (!snapshot)
        return false;
    StoragePeriodDialog dialog(*snapshot, lang, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    acquisition.post([choices = dialog.choices()](core::Station& station, comm::Bus&) {
        applyStoragePeriods(station.sensors(), choices);
    });
    return true;
}

std::vector<StoragePeriodChoice> StoragePeriodDialog::choices() const
{
    std::vector<StoragePeriodChoice> result = m_rows;
    for (int row = 0; row < static_cast<int>(result.size()); ++row) {
        const QTableWidgetItem* item = m_table->item(row, kPeriodColumn);
        StoragePeriodChoice& choice = result[static_cast<std::size_t>(row)];
        // Every edit is rounded as it is made; an untouched row keeps its stored period.
        bool ok = false;
        const int period = item->text().toInt(&ok);
        if (ok)
            choice.period = period;
        choice.stored = item->checkState() == Qt::Checked;
    }
    return result;
}

void StoragePeriodDialog::stepCurrent(int direction)
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    QTableWidgetItem* item = m_table->item(row, kPeriodColumn);
    const int current = StoragePeriod::parse(item->text(), m_pollingPeriodS).value_or(0);
    item->setText(QString::number(StoragePeriod::step(current, direction, m_pollingPeriodS)));
}

bool StoragePeriodDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus) {
            stepCurrent(key->key() == Qt::Key_Plus ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vostrand::devices::ui

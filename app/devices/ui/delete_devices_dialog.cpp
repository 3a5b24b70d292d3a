#include "devices/ui/delete_devices_dialog.h"

#include "comm/bus.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/ui/icons.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

struct DeletionDone
{
    DeleteResult result;
    core::FileResult saved;
};

} // namespace

DeleteDevicesDialog::DeleteDevicesDialog(const core::DeviceTable& devices,
                                         const QString& focusedAdr, QWidget* parent)
    : QDialog(parent)
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("TOKRightDlg6"));
    setWindowTitle(QStringLiteral("Отметьте удаляемые приборы"));

    auto* label = new QLabel(QStringLiteral("Отдельные датчики удалить нельзя"), this);
    label->setObjectName(QStringLiteral("Label1"));

    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Прибор"), QStringLiteral("Адрес - Каналов")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    const QIcon icon = core::ui::Icons::icon(core::ui::Icons::Device);
    for (const DeletionRow& row : DeviceDeletion::rows(devices, focusedAdr)) {
        auto* item = new QTreeWidgetItem(m_list, {row.caption, row.column});
        item->setIcon(0, icon);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    }
    for (const core::DeviceRecord& device : devices.records())
        m_netAdresses.push_back(device.NetAdress);

    // Listed with the list as it always was, but they do nothing here.
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const QString& text : {QStringLiteral("Шаг записи в архив прибора поменять"),
                                QStringLiteral("Удалить прибор")}) {
        auto* action = new QAction(text, m_list);
        action->setEnabled(false);
        m_list->addAction(action);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(420, 320);
}

std::vector<MarkedDevice> DeleteDevicesDialog::markedDevices() const
{
    std::vector<MarkedDevice> marked;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked &&
            static_cast<std::size_t>(i) < m_netAdresses.size())
            marked.push_back({i, m_netAdresses[static_cast<std::size_t>(i)]});
    }
    return marked;
}

bool DeleteDevicesDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                              const core::Lang& lang, int focusedSensor,
                              const DeviceDialogContext& context)
{
    const acquisition::SnapshotPtr snapshot = acquisition.lastSnapshot();
    if (!snapshot)
        return false;
    const QString focusedAdr = snapshot->sensors.isValidIndex(focusedSensor)
                                   ? snapshot->sensors.at(focusedSensor).Adr
                                   : QString();
    DeleteDevicesDialog dialog(snapshot->devices, focusedAdr, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const std::vector<MarkedDevice> marked = dialog.markedDevices();
    if (marked.empty())
        return false;

    const NewDeviceTexts texts = NewDeviceTexts::from(lang);
    const QString sensorsWord = lang.text(u"Sens1");
    const QString configFile = context.configFile;
    QObject* receiver = parent ? static_cast<QObject*>(parent) : QCoreApplication::instance();
    queryStation<DeletionDone>(
        acquisition, receiver,
        [marked, texts, sensorsWord, configFile](core::Station& station, comm::Bus& bus) {
            DeletionDone done;
            done.result = DeviceDeletion::deleteMarked(station, marked, texts);
            if (done.result.removedDevices > 0)
                done.saved = saveConfiguration(station, configFile);
            bus.showStatus(comm::StatusPanel::Panel1, QLatin1Char(' ') + sensorsWord +
                                                          QLatin1Char(' ') +
                                                          QString::number(done.result.sensorCount));
            return done;
        },
        [parent, &lang](const DeletionDone& done) { reportSaveFailure(parent, lang, done.saved); });
    return true;
}

} // namespace vostrand::devices::ui

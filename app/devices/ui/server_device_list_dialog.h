#pragma once

#include "devices/ui/device_dialog_context.h"
#include "network/server_device_list.h"

#include <atomic>
#include <memory>

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace vostrand::core {
class Lang;
}

namespace vostrand::devices::ui {

// " Получить список устройств с VostrandNet_TCP-сервера" (`TOKRightDlg`): fetches the device
// and sensor lists of a data server on a worker thread (the window stays live) and, with OK,
// takes them into the tables and saves them.
class ServerDeviceListDialog : public QDialog
{
    Q_OBJECT

public:
    enum class State
    {
        Editing,
        Fetching,
        Accepting,
    };

    ServerDeviceListDialog(acquisition::AcquisitionThread& acquisition, const core::Lang& lang,
                           DeviceDialogContext context, QWidget* parent = nullptr);
    ~ServerDeviceListDialog() override;

    // True when the server's lists replaced the tables.
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, const DeviceDialogContext& context);

    State state() const { return m_state; }
    // "Получить список ".
    void fetch();
    // OK: the fetched lists go to the tables (only once a list was fetched).
    void accept() override;
    void reject() override;

signals:
    void stateChanged(vostrand::devices::ui::ServerDeviceListDialog::State state);

private:
    struct Accepted
    {
        network::ServerListAccept accepted;
        core::FileResult saved;
    };

    void setState(State state);
    void fetched(const network::ServerListFetch& result);
    void accepted(const Accepted& result);
    network::ServerAddress address() const;

    acquisition::AcquisitionThread& m_acquisition;
    const core::Lang& m_lang;
    DeviceDialogContext m_context;
    State m_state = State::Editing;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    QStringList m_memoLines;
    bool m_found = false; // a list was fetched: OK is offered
    std::optional<int> m_pollingPeriodS;

    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QToolButton* m_fetch = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace vostrand::devices::ui

#pragma once

#include "acquisition/station_snapshot.h"
#include "devices/storage_period.h"

#include <vector>

#include <QDialog>

class QTableWidget;

namespace vostrand::acquisition {
class AcquisitionThread;
} // namespace vostrand::acquisition

namespace vostrand::core {
class Lang;
} // namespace vostrand::core

namespace vostrand::devices::ui {

// The database storage period of every sensor (`TOKRightDlg5`): one row per sensor with its
// period, a whole number of polling periods, and whether it is stored.
class StoragePeriodDialog : public QDialog
{
    Q_OBJECT

public:
    StoragePeriodDialog(const acquisition::StationSnapshot& snapshot, const core::Lang& lang,
                        QWidget* parent = nullptr);

    // Opens the dialog over the last snapshot; OK posts the periods and checks of every row.
    // True when they were stored.
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang);

    // The rows as they stand now.
    std::vector<StoragePeriodChoice> choices() const;
    int pollingPeriodS() const { return m_pollingPeriodS; }

    // One polling period up (+1) or down (−1) on the current row.
    void stepCurrent(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* m_table = nullptr;
    std::vector<StoragePeriodChoice> m_rows;
    int m_pollingPeriodS = 1;
};

} // namespace vostrand::devices::ui

#pragma once

#include <QTableView>

namespace vostrand::acquisition::ui {

// `ListView1`: the report view of the sensor list. Besides the usual selection it turns a
// click with Shift, Ctrl or the right button into "give the clicked row's mark to its
// device", with Alt to every row, and the Delete key into "delete the selected devices".
class SensorListView : public QTableView
{
    Q_OBJECT

public:
    explicit SensorListView(QWidget* parent = nullptr);

signals:
    // `allRows`: Alt was held; otherwise the rows of the clicked row's device.
    void spreadMarkRequested(int row, bool allRows);
    void deleteRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The row tip stands beside the pointer, below the top of its row, so the row stays
    // readable.
    bool viewportEvent(QEvent* event) override;
};

} // namespace vostrand::acquisition::ui

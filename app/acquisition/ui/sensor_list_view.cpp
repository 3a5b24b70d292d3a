#include "acquisition/ui/sensor_list_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace vostrand::acquisition::ui {

SensorListView::SensorListView(QWidget* parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    // The name takes what the value columns leave.
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

void SensorListView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::RightButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit spreadMarkRequested(index.row(), event->modifiers().testFlag(Qt::AltModifier));
}

void SensorListView::mouseReleaseEvent(QMouseEvent* event)
{
    // The check box of the clicked row toggles in the base handler; its new state is what
    // spreads.
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (!alt && !modifiers.testFlag(Qt::ShiftModifier) && !modifiers.testFlag(Qt::ControlModifier))
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit spreadMarkRequested(index.row(), alt);
}

void SensorListView::keyPressEvent(QKeyEvent* event)
{
    // A caption being edited takes its own keys; this is the list's Delete.
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        emit deleteRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool SensorListView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString tip = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const QPoint at(help->pos().x() + 8, visualRect(index).top() + 8);
    QToolTip::showText(viewport()->mapToGlobal(at), tip, viewport(), visualRect(index));
    return true;
}

} // namespace vostrand::acquisition::ui

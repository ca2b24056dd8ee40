#include "app/controls/title_tip_table.h"

#include <QHelpEvent>
#include <QToolTip>

namespace controls {

namespace {

// The room a cell gives its text besides the text: margins, and the icon when it has one.
int CellPadding(const QTableWidgetItem& item, const QSize& iconSize) {
  constexpr int kTextMargins = 12;
  return kTextMargins + (item.icon().isNull() ? 0 : iconSize.width() + 4);
}

}  // namespace

TitleTipTable::TitleTipTable(QWidget* parent) : QTableWidget(parent) {}

QString TitleTipTable::TitleTipAt(const QPoint& viewportPosition) const {
  const QModelIndex index = indexAt(viewportPosition);
  if (!index.isValid()) return {};
  const QTableWidgetItem* cell = item(index.row(), index.column());
  if (cell == nullptr || cell->text().isEmpty()) return {};
  const int needed = fontMetrics().horizontalAdvance(cell->text()) + CellPadding(*cell, iconSize());
  return needed > columnWidth(index.column()) ? cell->text() : QString();
}

bool TitleTipTable::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableWidget::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const QString tip = TitleTipAt(help->pos());
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(indexAt(help->pos())));
  }
  return true;
}

}  // namespace controls

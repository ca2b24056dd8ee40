#include "app/controls/sort_header.h"

#include <QPainter>
#include <QPolygonF>

#include "app/controls/palette.h"

namespace controls {

namespace {

constexpr qreal kArrowHalfWidth = 4;
constexpr qreal kArrowHeight = 4;
constexpr qreal kArrowTop = 2;

}  // namespace

SortHeader::SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsClickable(true);
  setHighlightSections(false);
}

void SortHeader::ShowSortedColumn(int column, Qt::SortOrder order) {
  column_ = column;
  order_ = order;
  viewport()->update();
}

void SortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  painter->save();
  QHeaderView::paintSection(painter, rect, logicalIndex);
  painter->restore();
  if (logicalIndex != column_) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setPen(Qt::NoPen);
  painter->setBrush(kAccent);
  const qreal x = rect.center().x() + 0.5;
  const qreal top = rect.top() + kArrowTop;
  const qreal bottom = top + kArrowHeight;
  QPolygonF arrow;
  if (order_ == Qt::AscendingOrder) {
    arrow << QPointF(x - kArrowHalfWidth, bottom) << QPointF(x + kArrowHalfWidth, bottom)
          << QPointF(x, top);
  } else {
    arrow << QPointF(x - kArrowHalfWidth, top) << QPointF(x + kArrowHalfWidth, top)
          << QPointF(x, bottom);
  }
  painter->drawPolygon(arrow);
  painter->restore();
}

}  // namespace controls

// A list header that marks the sorted column with a small arrow above its title, so that the
// mark covers no text of a narrow column. The order itself is the caller's: the header only
// shows which column and which way.
#pragma once

#include <QHeaderView>

namespace controls {

class SortHeader : public QHeaderView {
 public:
  explicit SortHeader(QWidget* parent = nullptr);

  void ShowSortedColumn(int column, Qt::SortOrder order);
  int SortedColumn() const { return column_; }
  Qt::SortOrder SortedOrder() const { return order_; }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  int column_ = -1;
  Qt::SortOrder order_ = Qt::DescendingOrder;
};

}  // namespace controls

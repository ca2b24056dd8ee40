// A report list whose cells show their whole text in a tip under the mouse when the column is
// too narrow for it (the title tips of the old list controls), and only then.
#pragma once

#include <QTableWidget>

namespace controls {

class TitleTipTable : public QTableWidget {
 public:
  explicit TitleTipTable(QWidget* parent = nullptr);

  // The text a tip shows for the cell at a viewport position: the cell's whole text when it does
  // not fit, else empty.
  QString TitleTipAt(const QPoint& viewportPosition) const;

 protected:
  bool viewportEvent(QEvent* event) override;
};

}  // namespace controls

// The meter, the scrolling graph, the hyperlink and the rippling logo: their ranges, clamping and
// scrolling, and what they draw at 100 % and 200 % scaling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QUrl>
#include <cmath>

#include "app/controls/hyperlink_label.h"
#include "app/controls/meter.h"
#include "app/controls/ripple_image.h"
#include "app/controls/scrolling_graph.h"
#include "utility/url_catcher.h"

namespace {

// The widget drawn into an image of its size at a device-pixel ratio.
QImage RenderAt(QWidget& widget, qreal ratio) {
  QImage image((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  widget.render(&image);
  return image;
}

// The colour at a point given in the widget's own (logical) coordinates.
QColor At(const QImage& image, QPointF logical) {
  const qreal ratio = image.devicePixelRatio();
  return image.pixelColor(static_cast<int>(logical.x() * ratio),
                          static_cast<int>(logical.y() * ratio));
}

int Distance(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

// The logical y in a column of the plot where the drawn line's colour is strongest.
qreal LineRow(const QImage& image, qreal x, const QRectF& plot, const QColor& line) {
  const qreal ratio = image.devicePixelRatio();
  int best = 1 << 30;
  qreal row = -1;
  for (int y = static_cast<int>(plot.top() * ratio) - 2; y <= plot.bottom() * ratio + 2; ++y) {
    const int distance = Distance(image.pixelColor(static_cast<int>(x * ratio), y), line);
    if (distance < best) {
      best = distance;
      row = y / ratio;
    }
  }
  return row;
}

TEST(MeterControl, PositionsStayInTheRangeAndTheTextIsAPercentage) {
  controls::Meter meter;
  meter.SetRange(0, 100);
  meter.SetPos(55);
  EXPECT_EQ(meter.Text(), "55%");
  meter.SetPos(150);
  EXPECT_EQ(meter.Pos(), 100);
  EXPECT_EQ(meter.Text(), "100%");
  meter.SetPos(-5);
  EXPECT_EQ(meter.Pos(), 0);
  EXPECT_EQ(meter.Text(), "0%");
  // Another range: the text is the share of it.
  meter.SetRange(0, 200);
  meter.SetPos(50);
  EXPECT_EQ(meter.Text(), "25%");
  EXPECT_DOUBLE_EQ(meter.Fraction(), 0.25);
  // A narrower range pulls the position in.
  meter.SetRange(60, 80);
  EXPECT_EQ(meter.Pos(), 60);
  meter.SetTextFormat("%d %%");
  EXPECT_EQ(meter.Text(), "0 %");
}

TEST(MeterControl, TheBarFillsFromTheBottomAtBothScales) {
  controls::Meter meter;
  meter.resize(60, 170);
  meter.SetRange(0, 100);
  const qreal barBottom = 170 - QFontMetrics(meter.font()).height() - 6;
  const qreal barHeight = barBottom - 1;
  auto level = [&](double share) { return QPointF(30, barBottom - barHeight * share); };
  for (const qreal ratio : {1.0, 2.0}) {
    SCOPED_TRACE(ratio);
    meter.SetPos(50);
    QImage image = RenderAt(meter, ratio);
    const QColor fill = At(image, level(0.375));
    const QColor track = At(image, level(0.625));
    EXPECT_EQ(At(image, level(0.125)), fill);
    EXPECT_EQ(At(image, level(0.875)), track);
    EXPECT_GT(Distance(fill, track), 100);  // the lower half is filled, the upper half is not
    meter.SetPos(150);
    image = RenderAt(meter, ratio);
    EXPECT_GT(Distance(At(image, level(0.875)), track), 100);
    meter.SetPos(0);
    image = RenderAt(meter, ratio);
    EXPECT_EQ(At(image, level(0.125)), track);
  }
}

TEST(ScrollingGraphControl, KeepsTheLastValuesAndItsRange) {
  controls::ScrollingGraph graph(nullptr, 60);
  for (int i = 0; i < 65; ++i) graph.Append(i);
  ASSERT_EQ(graph.Values().size(), 60u);
  EXPECT_EQ(graph.Values().front(), 5);
  EXPECT_EQ(graph.Values().back(), 64);
  EXPECT_EQ(graph.Steps(), 65u);
  graph.SetRange(1200);
  graph.SetRange(0);  // no range at all keeps the one before
  graph.SetRange(-3);
  EXPECT_EQ(graph.Top(), 1200);
  graph.Clear();
  EXPECT_TRUE(graph.Values().empty());
  EXPECT_EQ(graph.Steps(), 0u);
}

TEST(ScrollingGraphControl, DrawsValuesAgainstTheRangeClampedAtBothScales) {
  controls::ScrollingGraph graph(nullptr, 60);
  graph.resize(240, 90);
  graph.SetRange(1000);
  const QColor line(0xC0, 0x10, 0x10);
  graph.SetLineColor(line);
  const QRectF plot = graph.PlotRect();
  const qreal newest = plot.right() - 1;
  // The last few values alike, so the line ends level at their height.
  auto append = [&](double value) {
    for (int i = 0; i < 3; ++i) graph.Append(value);
  };
  for (const qreal ratio : {1.0, 2.0}) {
    SCOPED_TRACE(ratio);
    graph.Clear();
    graph.SetRange(1000);
    append(500);
    EXPECT_NEAR(LineRow(RenderAt(graph, ratio), newest, plot, line), plot.center().y(), 1.5);
    // Beyond the range the line runs along the top, not out of sight; below it, the bottom.
    append(5000);
    EXPECT_NEAR(LineRow(RenderAt(graph, ratio), newest, plot, line), plot.top(), 1.5);
    append(-70);
    EXPECT_NEAR(LineRow(RenderAt(graph, ratio), newest, plot, line), plot.bottom(), 1.5);
    // A smaller top raises the same values.
    append(250);
    graph.SetRange(500);
    EXPECT_NEAR(LineRow(RenderAt(graph, ratio), newest, plot, line), plot.center().y(), 1.5);
  }
}

TEST(ScrollingGraphControl, AValueMovesLeftOneStepPerAppend) {
  controls::ScrollingGraph graph(nullptr, 31);
  graph.resize(320, 80);
  graph.SetRange(100);
  const QColor line(0x10, 0x10, 0xC0);
  graph.SetLineColor(line);
  const QRectF plot = graph.PlotRect();
  const qreal step = plot.width() / 30;
  for (int i = 0; i < 31; ++i) graph.Append(0);
  graph.Append(100);  // a spike at the right edge
  // The spike's column: where the line reaches the top.
  auto spikeX = [&](const QImage& image) {
    for (qreal x = plot.right(); x >= plot.left(); x -= 0.5) {
      if (LineRow(image, x, plot, line) < plot.top() + 2) return x;
    }
    return qreal{-1};
  };
  const qreal before = spikeX(RenderAt(graph, 1.0));
  EXPECT_NEAR(before, plot.right(), 1.0);
  graph.Append(0);
  graph.Append(0);
  EXPECT_NEAR(spikeX(RenderAt(graph, 2.0)), before - 2 * step, 1.0);
}

void Click(QWidget& widget, QPointF at, QPointF releaseAt) {
  QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, widget.mapToGlobal(releaseAt),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &release);
}

TEST(HyperlinkControl, AClickOpensTheAddressWithTheDesktop) {
  app_testing::UrlCatcher catcher;
  controls::HyperlinkLabel link;
  link.setText("Visit Vantrel Website");
  link.resize(link.sizeHint());
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  // Without an address nothing opens.
  Click(link, {5, 5}, {5, 5});
  EXPECT_TRUE(catcher.Opened().isEmpty());
  link.SetUrl("https://www.vantrel.example/");
  Click(link, {5, 5}, {5, 5});
  ASSERT_EQ(catcher.Opened().size(), 1);
  EXPECT_EQ(catcher.Opened()[0], QUrl("https://www.vantrel.example/"));
  // A press that slides off before the release is no click.
  Click(link, {5, 5}, {-20, 5});
  EXPECT_EQ(catcher.Opened().size(), 1);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&link, &enter);
  EXPECT_EQ(catcher.Opened().size(), 2);
}

QImage Banner() {
  QImage image(460, 100, QImage::Format_RGB32);
  image.fill(QColor(120, 130, 140));
  return image;
}

// How far the frame strays from the picture in a square around a point (row from the top).
int Disturbance(const controls::RippleImage& ripple, const QImage& picture, int x, int row) {
  const QImage frame = ripple.Frame();
  int total = 0;
  for (int dy = -4; dy <= 4; ++dy) {
    for (int dx = -4; dx <= 4; ++dx) {
      total += Distance(frame.pixelColor(x + dx, row + dy), picture.pixelColor(x + dx, row + dy));
    }
  }
  return total;
}

TEST(RippleControl, ADropRipplesWhereItFallsCountedFromTheLowerLeft) {
  const QImage picture = Banner();
  controls::RippleImage ripple;
  ripple.SetImage(picture);
  ripple.resize(ripple.sizeHint());
  EXPECT_EQ(ripple.FromLowerLeft({10, 20}), QPoint(10, 80));
  // A drop 70 up from the bottom shows 30 rows down from the top, not 70.
  ripple.Drop({60, 70}, {30, 300});
  for (int i = 0; i < 3; ++i) ripple.Step();
  EXPECT_GT(Disturbance(ripple, picture, 60, 30), 100);
  EXPECT_EQ(Disturbance(ripple, picture, 60, 80), 0);
  EXPECT_EQ(Disturbance(ripple, picture, 400, 50), 0);
  // The water calms again and the picture is whole.
  int steps = 0;
  while (ripple.Step() && steps < 2000) ++steps;
  EXPECT_LT(steps, 2000);
  EXPECT_TRUE(ripple.Calm());
  EXPECT_EQ(ripple.Frame(), picture);
}

TEST(RippleControl, TheMouseMakesSmallDropsMovingAndALargeOnePressing) {
  const QImage picture = Banner();
  controls::RippleImage ripple;
  ripple.SetImage(picture);
  ripple.resize(ripple.sizeHint());
  ripple.SetDrops({5, 30}, {30, 300});
  QMouseEvent move(QEvent::MouseMove, QPointF(200, 50), ripple.mapToGlobal(QPointF(200, 50)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&ripple, &move);
  ripple.Step();
  const int small = Disturbance(ripple, picture, 200, 50);
  EXPECT_GT(small, 0);
  EXPECT_EQ(Disturbance(ripple, picture, 200 + 20, 50), 0);  // five pixels across, no more
  ripple.SetImage(picture);
  Click(ripple, {200, 50}, {200, 50});
  ripple.Step();
  EXPECT_GT(Disturbance(ripple, picture, 200 + 20, 50), 0);  // thirty across
  // At twice the scale the frame fills the same area.
  const QImage shown = RenderAt(ripple, 2.0);
  EXPECT_EQ(shown.size(), QSize(920, 200));
  EXPECT_EQ(At(shown, {455, 5}), picture.pixelColor(455, 5));
}

}  // namespace

#include "app/pages/channel_map_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cstring>

#include "app/controls/palette.h"
#include "app/core/language.h"
#include "app/core/survey_profile.h"
#include "app/core/survey_text.h"

namespace pages {

namespace {

constexpr qreal kLegendRowHeight = 26;
constexpr qreal kLegendMargin = 8;
constexpr qreal kLegendSwatch = 14;
constexpr qreal kLegendGap = 14;
constexpr int kFillAlpha = 60;
constexpr int kMarkedFillAlpha = 140;
constexpr qreal kMinimumTickSpacing = 18;
constexpr int kLabelWidth = 110;
const QColor kPlotFace(0xF5, 0xF7, 0xFA);
const QColor kGrid(0xE1, 0xE5, 0xEA);
const QColor kAxisText(0x6B, 0x73, 0x7C);
const QColor kLinked(0x1E, 0x9E, 0x4A);

QString Header(std::string_view key, std::string_view fallback) {
  return core::ToQString(core::LangLookupPlain("SITE_SURVEY", key, fallback));
}

QString EntryText(const char* field, size_t size) {
  return core::ToQString(std::string_view(field, strnlen(field, size)));
}

// The legend's entries: one per security kind, in the list's own words.
struct LegendEntry {
  SecurityKind kind;
  const char* text;
};
constexpr std::array<LegendEntry, 4> kLegend = {{
    {SecurityKind::Open, "None"},
    {SecurityKind::Wep, "WEP"},
    {SecurityKind::Personal, "WPA-PSK/WPA2-PSK"},
    {SecurityKind::Enterprise, "WPA/WPA2 Radius"},
}};

}  // namespace

QColor SecurityColor(SecurityKind kind) {
  switch (kind) {
    case SecurityKind::Open:
      return QColor(0x1E, 0x9E, 0x4A);
    case SecurityKind::Wep:
      return QColor(0xE0, 0x8A, 0x12);
    case SecurityKind::Personal:
      return controls::kAccent;
    case SecurityKind::Enterprise:
      return QColor(0x8E, 0x3F, 0xB8);
    case SecurityKind::Unknown:
      break;
  }
  return QColor(0x80, 0x88, 0x90);
}

ChannelMapView::ChannelMapView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAutoFillBackground(true);
  QPalette face = palette();
  face.setColor(QPalette::Window, Qt::white);
  setPalette(face);
  Relayout();
}

QSize ChannelMapView::sizeHint() const {
  return {560, 260};
}

void ChannelMapView::SetSurvey(std::vector<VtrSurveyEntry> entries, const VtrLinkInfo& link) {
  entries_ = std::move(entries);
  link_ = link;
  marked_ = -1;
  Relayout();
  update();
}

QString ChannelMapView::SignalBandsText() const {
  const SignalBandCounts counts = CountSignalBands(entries_);
  return QString("%1 :  75-100%  %2    50-74%  %3    25-49%  %4    0-24%  %5")
      .arg(Header("100A0", "Signal"))
      .arg(counts[0])
      .arg(counts[1])
      .arg(counts[2])
      .arg(counts[3]);
}

qreal ChannelMapView::SecurityLegendWidth() const {
  const QFontMetrics metrics = fontMetrics();
  qreal width = kLegendMargin;
  for (const LegendEntry& entry : kLegend) {
    width += kLegendSwatch + metrics.horizontalAdvance(entry.text) + kLegendGap;
  }
  return width;
}

// The counts share the legend's row when the view is wide enough, else they take a row below.
bool ChannelMapView::LegendInOneRow() const {
  return SecurityLegendWidth() + fontMetrics().horizontalAdvance(SignalBandsText()) +
             kLegendMargin <=
         width();
}

QRectF ChannelMapView::MapArea() const {
  const qreal legend = LegendInOneRow() ? kLegendRowHeight : 2 * kLegendRowHeight;
  return QRectF(rect()).adjusted(0, legend, 0, 0);
}

void ChannelMapView::Relayout() {
  layout_ = LayOutChannelMap(entries_, link_, MapArea());
}

QString ChannelMapView::TipAt(const QPointF& point) const {
  const int index = ShapeAt(layout_, point);
  if (index < 0) return {};
  const VtrSurveyEntry& entry = entries_[static_cast<size_t>(index)];
  return QString("%1 %2\n %3 : %4\n %5 : %6\n %7 : %8\n %9 : %10%\n")
      .arg(Header("10060", "Network Name"), core::ToQString(core::SurveySsid(entry)),
           Header("10070", "MAC Address"), EntryText(entry.bssid, sizeof entry.bssid),
           Header("10080", "Security"),
           QString::fromStdString(core::SecurityText(entry.authMask, entry.cipherMask)),
           Header("10090", "CH."), QString::number(static_cast<int32_t>(entry.channel)),
           Header("100A0", "Signal"))
      .arg(entry.signal);
}

void ChannelMapView::ClearMark() {
  marked_ = -1;
  update();
}

void ChannelMapView::Mark(int index) {
  marked_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
  update();
}

void ChannelMapView::MarkAt(const QPointF& point) {
  marked_ = ShapeAt(layout_, point);
  update();
  if (onMarked_) onMarked_(marked_);
}

bool ChannelMapView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const QString tip = TipAt(help->pos());
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), tip.trimmed(), this);
  }
  return true;
}

void ChannelMapView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

void ChannelMapView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) MarkAt(event->position());
}

void ChannelMapView::mouseDoubleClickEvent(QMouseEvent* event) {
  const int index = ShapeAt(layout_, event->position());
  if (event->button() != Qt::LeftButton || index < 0) return;
  marked_ = index;
  update();
  if (onActivated_) onActivated_(index);
}

void ChannelMapView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  PaintLegend(p);
  PaintPlots(p);
  PaintShapes(p);
}

void ChannelMapView::PaintLegend(QPainter& p) const {
  const QFontMetrics metrics = p.fontMetrics();
  const qreal baseline = kLegendRowHeight / 2 + metrics.ascent() / 2.0 - 1;
  qreal x = kLegendMargin;
  for (const LegendEntry& entry : kLegend) {
    const QColor colour = SecurityColor(entry.kind);
    p.setPen(QPen(colour, 1.4));
    QColor fill = colour;
    fill.setAlpha(kMarkedFillAlpha);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(x, kLegendRowHeight / 2 - 5, 10, 10), 2, 2);
    x += kLegendSwatch;
    p.setPen(controls::kText);
    p.drawText(QPointF(x, baseline), entry.text);
    x += metrics.horizontalAdvance(entry.text) + kLegendGap;
  }
  // The four signal bands, counted: at the right of the row, or on a row of their own.
  const QString bands = SignalBandsText();
  p.setPen(kAxisText);
  if (LegendInOneRow()) {
    p.drawText(QPointF(width() - kLegendMargin - metrics.horizontalAdvance(bands), baseline),
               bands);
  } else {
    p.drawText(QPointF(kLegendMargin, baseline + kLegendRowHeight), bands);
  }
}

void ChannelMapView::PaintPlots(QPainter& p) const {
  const QFontMetrics metrics = p.fontMetrics();
  const std::array<std::pair<QRectF, QString>, 2> plots = {{
      {layout_.plot24, core::ToQString(core::LangLookup("SITE_SURVEY", "10130", "2.4 GHz"))},
      {layout_.plot5, core::ToQString(core::LangLookup("SITE_SURVEY", "10140", "5 GHz"))},
  }};
  for (const auto& [plot, title] : plots) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPlotFace);
    p.drawRoundedRect(plot.adjusted(0, -4, 0, 0), 4, 4);
    p.setPen(QPen(kGrid, 1));
    for (int step = 1; step <= 4; ++step) {
      const qreal y = plot.bottom() - plot.height() * step / 4.0;
      p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    p.setPen(kAxisText);
    p.drawText(plot.adjusted(6, 2, -6, 0), Qt::AlignTop | Qt::AlignRight, title);
  }
  // The signal steps, left of the first plot.
  p.setPen(kAxisText);
  for (int step = 1; step <= 4; ++step) {
    const qreal y = layout_.plot24.bottom() - layout_.plot24.height() * step / 4.0;
    const QString text = QString::number(step * 25) + "%";
    p.drawText(QPointF(layout_.plot24.left() - 6 - metrics.horizontalAdvance(text),
                       y + metrics.ascent() / 2.0 - 1),
               text);
  }
  // Channel numbers under the base lines, as many as fit.
  qreal lastRight = -1e9;
  for (const ChannelTick& tick : layout_.ticks) {
    const QString text = QString::number(tick.channel);
    const qreal textWidth = metrics.horizontalAdvance(text);
    const qreal left = tick.at.x() - textWidth / 2;
    if (left < lastRight + kMinimumTickSpacing / 3 ||
        tick.at.x() - lastRight < kMinimumTickSpacing) {
      continue;
    }
    p.drawText(QPointF(left, tick.at.y() + metrics.ascent() + 3), text);
    p.drawLine(tick.at, tick.at + QPointF(0, 3));
    lastRight = left + textWidth;
  }
}

void ChannelMapView::PaintShapes(QPainter& p) const {
  for (const ChannelShape& shape : layout_.shapes) {
    const QColor colour = SecurityColor(shape.security);
    QColor fill = colour;
    fill.setAlpha(shape.surveyIndex == marked_ ? kMarkedFillAlpha : kFillAlpha);
    QPen outline(colour, shape.associated ? 2.8 : 1.5);
    if (shape.adHoc) outline.setStyle(Qt::DashLine);
    p.setPen(outline);
    p.setBrush(fill);
    p.drawPolygon(shape.outline);
  }
  PaintLabels(p);
}

// Each name goes above its shape's top, or a line higher, or inside the shape under its top,
// wherever it meets no name placed before it; the strongest networks are placed first. A name
// with no free place is left out: the mouse over its shape still tells it.
void ChannelMapView::PaintLabels(QPainter& p) const {
  std::vector<QRectF> placed;
  const QFont plain = p.font();
  QFont bold = plain;
  bold.setBold(true);
  for (const ChannelShape& shape : layout_.shapes) {
    const bool strong = shape.associated || shape.surveyIndex == marked_;
    const QFontMetricsF metrics(strong ? bold : plain);
    const QString label = metrics.elidedText(shape.label, Qt::ElideRight, kLabelWidth);
    const QRectF bounds = shape.outline.boundingRect();
    const qreal line = metrics.height();
    const QSizeF size(metrics.horizontalAdvance(label) + 4, line);
    const qreal left = std::clamp(bounds.center().x() - size.width() / 2, rect().left() + 2.0,
                                  rect().right() - size.width() - 2);
    std::vector<qreal> tops = {bounds.top() - line - 2, bounds.top() - 2 * line - 2};
    for (qreal below = bounds.top() + 2; below + line <= bounds.bottom() - 2; below += line) {
      tops.push_back(below);
    }
    const auto free = std::find_if(tops.begin(), tops.end(), [&](qreal top) {
      const QRectF candidate(QPointF(left, top), size);
      return top >= MapArea().top() &&
             std::none_of(placed.begin(), placed.end(),
                          [&](const QRectF& other) { return other.intersects(candidate); });
    });
    if (free == tops.end()) continue;
    const QRectF at(QPointF(left, *free), size);
    placed.push_back(at);
    p.setFont(strong ? bold : plain);
    p.setPen(shape.surveyIndex == marked_ ? controls::kAccent : controls::kText);
    p.drawText(at, Qt::AlignCenter, label);
    if (shape.associated) {
      p.setPen(Qt::NoPen);
      p.setBrush(kLinked);
      p.drawEllipse(QPointF(at.left() - 5, at.center().y()), 3.5, 3.5);
    }
  }
  p.setFont(plain);
}

}  // namespace pages

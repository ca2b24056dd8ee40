// The channel map: networks to shapes on their own, the picture it paints, and the map as the
// Site Survey page's second view on a simulated machine.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <cstring>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/pages/channel_map_layout.h"
#include "app/pages/channel_map_view.h"
#include "app/pages/site_survey_page.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using pages::ChannelShape;
using pages::SecurityKind;

VtrSurveyEntry Network(const std::string& ssid, uint32_t channel, int32_t signal,
                       uint32_t phyMode = VTR_PHY_11G, uint32_t authMask = 0,
                       uint32_t cipherMask = 0) {
  VtrSurveyEntry entry{};
  std::memcpy(entry.ssid, ssid.data(), ssid.size());
  const std::string bssid = "00-00-00-00-00-" + std::to_string(channel % 100);
  std::memcpy(entry.bssid, bssid.data(), bssid.size());
  entry.channel = channel;
  entry.signal = signal;
  entry.phyMode = phyMode;
  entry.networkType = 1;
  entry.authMask = authMask;
  entry.cipherMask = cipherMask;
  return entry;
}

const ChannelShape& ShapeOf(const pages::ChannelMapLayout& layout, int index) {
  for (const ChannelShape& shape : layout.shapes) {
    if (shape.surveyIndex == index) return shape;
  }
  static const ChannelShape none;
  ADD_FAILURE() << "no shape for " << index;
  return none;
}

// The shape's occupied band at its base, left and right.
std::pair<qreal, qreal> Base(const ChannelShape& shape) {
  return {shape.outline.first().x(), shape.outline.last().x()};
}

qreal Height(const ChannelShape& shape) {
  return shape.outline.first().y() - shape.outline[1].y();
}

const QRectF kArea(0, 0, 800, 300);

TEST(ChannelMapLayout, NetworksStandOverTheirChannelsAsTallAsTheirSignal) {
  const std::vector<VtrSurveyEntry> entries = {
      Network("One", 1, 80),
      Network("Three", 3, 40),
      Network("Six", 6, 100),
      Network("Eleven", 11, 20, VTR_PHY_11B),
      Network("Five", 36, 60, VTR_PHY_11A),
      Network("Nowhere", 0, 90),
  };
  const VtrLinkInfo link{};
  const auto layout = pages::LayOutChannelMap(entries, link, kArea);
  // No shape for a channel no band has; every entry counts in the signal bands all the same.
  ASSERT_EQ(layout.shapes.size(), 5u);
  EXPECT_EQ(layout.signalBands, (pages::SignalBandCounts{3, 1, 1, 1}));
  // The 2.4 GHz plot on the left, the 5 GHz one on the right, apart.
  EXPECT_LT(layout.plot24.right(), layout.plot5.left());
  EXPECT_TRUE(kArea.contains(layout.plot24) && kArea.contains(layout.plot5));

  const auto one = Base(ShapeOf(layout, 0));
  const auto three = Base(ShapeOf(layout, 1));
  const auto six = Base(ShapeOf(layout, 2));
  // Channels 1 and 3 overlap; 1 and 6 do not.
  EXPECT_GT(one.second, three.first);
  EXPECT_LT(one.second, six.first);
  // The shape stands centred over its channel's tick.
  for (const auto& tick : layout.ticks) {
    if (tick.channel == 6) {
      EXPECT_NEAR((six.first + six.second) / 2, tick.at.x(), 0.5);
    }
  }
  // 22 MHz for 802.11b against 20 MHz, on one scale.
  const auto eleven = Base(ShapeOf(layout, 3));
  EXPECT_NEAR((eleven.second - eleven.first) / (six.second - six.first), 22.0 / 20.0, 0.01);
  // Height by signal: 100 % fills the plot, 40 % is 0.4 of it.
  EXPECT_NEAR(Height(ShapeOf(layout, 2)), layout.plot24.height(), 0.5);
  EXPECT_NEAR(Height(ShapeOf(layout, 1)), layout.plot24.height() * 0.4, 0.5);
  // The 5 GHz network stands in the 5 GHz plot.
  const ChannelShape& five = ShapeOf(layout, 4);
  EXPECT_TRUE(five.fiveGhz);
  EXPECT_GE(Base(five).first, layout.plot5.left() - 0.5);
  EXPECT_LE(Base(five).second, layout.plot5.right() + 0.5);
  // Strongest first, so the weaker ones are painted over them.
  EXPECT_EQ(layout.shapes.front().surveyIndex, 2);
  EXPECT_EQ(layout.shapes.back().surveyIndex, 3);
}

TEST(ChannelMapLayout, TheWeakerOfTwoOverlappingNetworksIsHitFirst) {
  const std::vector<VtrSurveyEntry> entries = {Network("Strong", 6, 90), Network("Weak", 6, 30)};
  const auto layout = pages::LayOutChannelMap(entries, VtrLinkInfo{}, kArea);
  const auto base = Base(ShapeOf(layout, 0));
  const qreal x = (base.first + base.second) / 2;
  const qreal bottom = layout.plot24.bottom();
  EXPECT_EQ(pages::ShapeAt(layout, QPointF(x, bottom - 5)), 1);
  EXPECT_EQ(pages::ShapeAt(layout, QPointF(x, bottom - layout.plot24.height() * 0.6)), 0);
  EXPECT_EQ(pages::ShapeAt(layout, QPointF(x, layout.plot24.top() + 2)), -1);
}

TEST(ChannelMapLayout, FiveGigahertzShowsOnlyTheSubBandsInUse) {
  const std::vector<VtrSurveyEntry> low = {Network("Low", 36, 50)};
  const std::vector<VtrSurveyEntry> both = {Network("Low", 36, 50), Network("High", 149, 50)};
  const auto lowLayout = pages::LayOutChannelMap(low, VtrLinkInfo{}, kArea);
  const auto bothLayout = pages::LayOutChannelMap(both, VtrLinkInfo{}, kArea);
  auto hasTick = [](const pages::ChannelMapLayout& layout, uint32_t channel) {
    return std::any_of(layout.ticks.begin(), layout.ticks.end(),
                       [&](const auto& tick) { return tick.channel == channel; });
  };
  EXPECT_TRUE(hasTick(lowLayout, 64));
  EXPECT_FALSE(hasTick(lowLayout, 149));
  EXPECT_FALSE(hasTick(lowLayout, 100));
  EXPECT_TRUE(hasTick(bothLayout, 149));
  EXPECT_TRUE(hasTick(bothLayout, 165));
  EXPECT_FALSE(hasTick(bothLayout, 100));
  // With a second sub-band in use each 20 MHz takes less room.
  const auto lowWidth = Base(ShapeOf(lowLayout, 0));
  const auto bothWidth = Base(ShapeOf(bothLayout, 0));
  EXPECT_GT(lowWidth.second - lowWidth.first, bothWidth.second - bothWidth.first);
  // No 5 GHz network: the first sub-band still draws an axis.
  const auto none = pages::LayOutChannelMap({}, VtrLinkInfo{}, kArea);
  EXPECT_TRUE(hasTick(none, 36));
  EXPECT_TRUE(none.shapes.empty());
}

TEST(ChannelMapLayout, SecurityKindsFollowTheListsWords) {
  EXPECT_EQ(pages::SecurityKindOf(0, 0), SecurityKind::Open);
  EXPECT_EQ(pages::SecurityKindOf(2, 1), SecurityKind::Wep);
  EXPECT_EQ(pages::SecurityKindOf(0, 2), SecurityKind::Personal);
  EXPECT_EQ(pages::SecurityKindOf(12, 6), SecurityKind::Personal);
  EXPECT_EQ(pages::SecurityKindOf(48, 6), SecurityKind::Enterprise);
  EXPECT_EQ(pages::SecurityKindOf(64, 0), SecurityKind::Unknown);
  EXPECT_EQ(pages::ChannelCentreMhz(1), 2412);
  EXPECT_EQ(pages::ChannelCentreMhz(14), 2484);
  EXPECT_EQ(pages::ChannelCentreMhz(36), 5180);
  EXPECT_EQ(pages::ChannelCentreMhz(15), 0);
}

// How far apart two hues are, round the colour circle.
int HueDistance(const QColor& a, const QColor& b) {
  const int d = std::abs(a.hsvHue() - b.hsvHue());
  return std::min(d, 360 - d);
}

TEST(ChannelMapView, PaintsEachNetworkInItsSecurityColourAndTheMarkedOneStronger) {
  pages::ChannelMapView view;
  view.resize(800, 320);
  view.SetSurvey({Network("Open", 1, 90), Network("Personal", 36, 90, VTR_PHY_11A, 8, 4)},
                 VtrLinkInfo{});
  const auto& layout = view.Layout();
  auto inside = [&](int index) {
    const auto base = Base(ShapeOf(layout, index));
    return QPoint(static_cast<int>((base.first + base.second) / 2),
                  static_cast<int>(layout.plot24.bottom() - 20));
  };
  QImage image = view.grab().toImage();
  const QColor openColour = pages::SecurityColor(SecurityKind::Open);
  const QColor personalColour = pages::SecurityColor(SecurityKind::Personal);
  const QColor open = image.pixelColor(inside(0));
  const QColor personal = image.pixelColor(inside(1));
  // Tinted toward its own colour, not the other's.
  EXPECT_LT(HueDistance(open, openColour), 15);
  EXPECT_LT(HueDistance(personal, personalColour), 15);
  EXPECT_GT(open.hsvSaturation(), 30);
  EXPECT_GT(personal.hsvSaturation(), 30);
  // Outside every shape the plot stays light.
  const QRgb empty = image.pixel(QPoint(static_cast<int>(layout.plot24.right() - 4),
                                        static_cast<int>(layout.plot24.bottom() - 20)));
  EXPECT_GT(qGray(empty), 235);

  view.MarkAt(inside(0));
  EXPECT_EQ(view.MarkedIndex(), 0);
  image = view.grab().toImage();
  const QColor marked = image.pixelColor(inside(0));
  EXPECT_LT(HueDistance(marked, openColour), 15);
  EXPECT_GT(marked.hsvSaturation(), open.hsvSaturation() + 40);
  EXPECT_TRUE(view.TipAt(inside(1)).startsWith("Network Name Personal\n MAC Address : "));
  EXPECT_TRUE(view.TipAt(inside(1)).endsWith(" Security : WPA2-PSK\n CH. : 36\n Signal : 90%\n"));
  EXPECT_TRUE(view.TipAt(QPoint(2, 2)).isEmpty());
}

class ChannelMapPageTest : public UtilityTest {};

TEST_F(ChannelMapPageTest, TheBoxShowsTheMapWhichJoinsOnADoubleClick) {
  StartAndSettle();
  auto* page = dynamic_cast<pages::CVantrelSiteSurveyPage*>(Sheet().SiteSurvey());
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(
      RunUntil([&] { return Sheet().Scanner().IsIdle() && !page->ScanPictureRunning(); }, 60000));
  auto* box = qobject_cast<QAbstractButton*>(core::FindControl(page, pages::kListViewBox));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(page->ListShown());
  box->click();
  ASSERT_TRUE(RunUntil([this] { return Sheet().Scanner().IsIdle(); }, 10000));
  RunFor(50);
  EXPECT_FALSE(page->ListShown());
  EXPECT_EQ(page->SurveyFilter().sortKey, 5u);
  EXPECT_EQ(page->SurveyFilter().sortDescending, 1u);
  pages::ChannelMapView& map = page->Map();
  EXPECT_TRUE(map.isVisible());
  EXPECT_EQ(static_cast<int32_t>(map.Layout().shapes.size()), core::State().surveyCount.load());

  const ChannelShape* coffee = nullptr;
  for (const ChannelShape& shape : map.Layout().shapes) {
    if (shape.label == "CoffeeShop") coffee = &shape;
  }
  ASSERT_NE(coffee, nullptr);
  // A point of CoffeeShop's shape that no later (weaker) shape covers.
  QPointF point;
  bool found = false;
  const QRectF bounds = coffee->outline.boundingRect();
  for (qreal y = bounds.bottom() - 1; y > bounds.top() && !found; y -= 2) {
    for (qreal x = bounds.left() + 1; x < bounds.right() && !found; x += 2) {
      if (pages::ShapeAt(map.Layout(), QPointF(x, y)) == coffee->surveyIndex) {
        point = QPointF(x, y);
        found = true;
      }
    }
  }
  ASSERT_TRUE(found);
  QMouseEvent press(QEvent::MouseButtonDblClick, point, map.mapToGlobal(point), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&map, &press);
  ASSERT_TRUE(RunUntil(
      [this] { return Sheet().Connector().Runs() >= 1 && Sheet().Connector().IsIdle(); }, 300000));
  EXPECT_EQ(LinkSsid(), "CoffeeShop");
  // The address comes 1.5 s later; the test ends with it, leaving nothing in flight.
  EXPECT_TRUE(RunUntil(
      [] {
        VtrIpInfo ip{};
        Library().APInternetInformation(&ip);
        return std::string(ip.ipAddress) == "10.20.0.57";
      },
      10000));

  const auto joined = std::find_if(map.Layout().shapes.begin(), map.Layout().shapes.end(),
                                   [](const ChannelShape& shape) { return shape.associated; });
  ASSERT_NE(joined, map.Layout().shapes.end());
  EXPECT_EQ(joined->label, "CoffeeShop");
  Render(Sheet(), std::string("site_survey_map_") + BuildUnderTest());

  box->click();
  EXPECT_TRUE(page->ListShown());
  Render(Sheet(), std::string("site_survey_list_") + BuildUnderTest());
  EXPECT_FALSE(
      qobject_cast<QAbstractButton*>(core::FindControl(page, pages::kConnectButton))->isEnabled());
}

}  // namespace
}  // namespace app_testing

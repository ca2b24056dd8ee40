// The Site Survey page on a simulated machine in virtual time: the scan on activation, sorting
// against vtrctl survey, the filter boxes, the connected mark following the link, hidden names,
// connecting and disconnecting, the refusals, a pulled adapter during a scan, the language's
// moves; and the list's texts and images on their own.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QTabWidget>
#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>

#include "app/controls/sort_header.h"
#include "app/controls/survey_artwork.h"
#include "app/controls/title_tip_table.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/message_box.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "app/core/survey_text.h"
#include "app/pages/channel_map_view.h"
#include "app/pages/site_survey_page.h"
#include "tests/support/program_runner.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using core::State;
using pages::CVantrelSiteSurveyPage;

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

VtrSurveyEntry MakeEntry(const std::string& ssid, const std::string& bssid, uint32_t networkType,
                         uint32_t phyMode) {
  VtrSurveyEntry entry{};
  SetField(entry.ssid, ssid);
  SetField(entry.bssid, bssid);
  entry.networkType = networkType;
  entry.phyMode = phyMode;
  return entry;
}

VtrLinkInfo MakeLink(const std::string& ssid, const std::string& bssid) {
  VtrLinkInfo link{};
  link.linkState = 1;
  SetField(link.ssid, ssid);
  SetField(link.bssid, bssid);
  return link;
}

TEST(SurveyTexts, SecurityFollowsTheAuthenticationThenTheCipherMask) {
  EXPECT_EQ(core::SecurityText(0, 0), "None");
  EXPECT_EQ(core::SecurityText(2, 1), "WEP");
  EXPECT_EQ(core::SecurityText(0, 2), "WPA-PSK");
  EXPECT_EQ(core::SecurityText(12, 6), "WPA-PSK/WPA2-PSK");
  EXPECT_EQ(core::SecurityText(48, 4), "WPA/WPA2 Radius");
  EXPECT_EQ(core::SecurityText(32, 4), "WPA2 Radius");
  EXPECT_EQ(core::SecurityText(64, 0), "Error !");
  VtrSurveyEntry entry{};
  EXPECT_EQ(core::WpsText(entry), "---");
  entry.hasWps = 1;
  EXPECT_EQ(core::WpsText(entry), "Y");
  entry.wpsPbcActive = 1;
  EXPECT_EQ(core::WpsText(entry), "Y+");
}

TEST(SurveyRows, ImagesByBandAndTypeWithTheConnectedVariant) {
  const VtrLinkInfo link = MakeLink("CoffeeShop", "00-18-39-C2-8D-14");
  const VtrSurveyEntry coffee = MakeEntry("CoffeeShop", "00-18-39-C2-8D-14", 1, 4);
  EXPECT_EQ(pages::SurveyRowImageFor(coffee, link), controls::kRow11g + 1);
  EXPECT_EQ(pages::SurveyRowImageFor(MakeEntry("Old", "00-09", 1, 2), link), controls::kRow11b);
  EXPECT_EQ(pages::SurveyRowImageFor(MakeEntry("Five", "00-0C", 1, 6), link), controls::kRow11a);
  EXPECT_EQ(pages::SurveyRowImageFor(MakeEntry("N", "00-0D", 1, 8), link), controls::kRowOtherBand);
  // Ad hoc whatever the band.
  EXPECT_EQ(pages::SurveyRowImageFor(MakeEntry("Party", "02-3C", 0, 4), link), controls::kRowAdHoc);
  // Same name, another access point: not the one the adapter is with.
  EXPECT_FALSE(pages::IsAssociatedEntry(MakeEntry("CoffeeShop", "00-18-39-C2-8D-15", 1, 4), link));
  // A hidden name counts by its address alone.
  EXPECT_TRUE(pages::IsAssociatedEntry(MakeEntry("", "00-18-39-C2-8D-14", 1, 4), link));
  VtrLinkInfo down = link;
  down.linkState = 2;
  EXPECT_FALSE(pages::IsAssociatedEntry(coffee, down));
}

TEST(SurveyRows, ColumnsShareTheWidthByTheirBaseWidths) {
  const std::vector<int> widths = pages::SurveyColumnWidths(604);
  EXPECT_EQ(widths, (std::vector<int>{132, 110, 78, 40, 42, 48, 88, 66}));
  const std::vector<int> half = pages::SurveyColumnWidths(302);
  EXPECT_EQ(half[0], 66);
  EXPECT_EQ(half[3], 20);
  int sum = 0;
  for (const int width : pages::SurveyColumnWidths(500)) sum += width;
  EXPECT_LE(sum, 500);
  EXPECT_GE(sum, 492);  // each cut loses less than a pixel
}

TEST(SurveyRows, CellsShowTheEntryAsTheListShowsIt) {
  VtrSurveyEntry entry = MakeEntry("PressMe", "00-1B-11-7C-20-9E", 1, 4);
  entry.authMask = 8;
  entry.cipherMask = 4;
  entry.hasWps = 1;
  entry.wpsPbcActive = 1;
  entry.channel = 11;
  entry.signal = 87;
  SetField(entry.frequency, "2.462 GHz");
  const auto cells = pages::SurveyCells(entry);
  EXPECT_EQ(cells[0], "PressMe");
  EXPECT_EQ(cells[2], "WPA2-PSK");
  EXPECT_EQ(cells[3], "Y+");
  EXPECT_EQ(cells[4], "11");
  EXPECT_EQ(cells[5], "87%");
  EXPECT_EQ(cells[6], "Infrastructure");
  EXPECT_EQ(cells[7], "2.462 GHz");
  entry.networkType = 0;
  EXPECT_EQ(pages::SurveyCells(entry)[6], "Ad-Hoc");
}

TEST(SurveyRows, PicturesMoveForTheLanguage) {
  EXPECT_EQ(pages::PictureAdjustmentFor(std::nullopt), pages::PictureAdjustment{});
  EXPECT_EQ(pages::PictureAdjustmentFor("Korean"), pages::PictureAdjustment{});
  EXPECT_EQ(pages::PictureAdjustmentFor("Chinese (Simplified)"), pages::PictureAdjustment{});
  const auto japanese = pages::PictureAdjustmentFor("Japanese");
  EXPECT_EQ(japanese.scanShiftRight, 6);
  EXPECT_EQ(japanese.scanPictureNarrower, 6);
  EXPECT_EQ(japanese.scanFrameNarrower, 8);
  EXPECT_EQ(japanese.shiftDown, 0);
  const auto german = pages::PictureAdjustmentFor("German");
  EXPECT_EQ(german.shiftDown, 2);
  EXPECT_EQ(german.connectNarrower, 2);
  EXPECT_EQ(german.scanFrameNarrower, 0);
}

// Records every message box and answers OK.
class MessageLog {
 public:
  MessageLog() {
    core::SetMessageHook([this](const QString& text, core::MessageIcon) {
      texts.push_back(text);
      return QMessageBox::Ok;
    });
  }
  ~MessageLog() { core::SetMessageHook({}); }
  std::vector<QString> texts;
};

class SiteSurveyTest : public UtilityTest {
 protected:
  CVantrelSiteSurveyPage& Page() {
    auto* page = dynamic_cast<CVantrelSiteSurveyPage*>(Sheet().SiteSurvey());
    EXPECT_NE(page, nullptr);
    return *page;
  }
  QTableWidget& List() { return Page().List(); }
  QAbstractButton& Button(int id) {
    auto* button = qobject_cast<QAbstractButton*>(core::FindControl(&Page(), id));
    EXPECT_NE(button, nullptr) << id;
    return *button;
  }

  // Starts the utility and runs until the automatic connection and the page's scan have ended
  // and the window has taken in what they queued for it.
  void StartAndRest() {
    StartAndSettle();
    ASSERT_TRUE(RunUntil(
        [this] { return Sheet().Scanner().IsIdle() && !Page().ScanPictureRunning(); }, 60000));
  }

  // The same with no automatic connection, so that no link comes up unless a test makes one
  // (a default that is not in range, and AutoConnect off).
  void StartQuietAndRest() {
    AddProfile("Gone", "NotHere", 0, 0, {}, true);
    SetSetting("AutoConnect", "0");
    StartAndRest();
  }

  // Waits for the scan the page started, and for what it queued for the window.
  void WaitForScan() {
    ASSERT_TRUE(RunUntil([this] { return Sheet().Scanner().IsIdle(); }, 60000));
    DeliverHandedCalls();
  }
  void WaitForConnect(uint64_t runs) {
    ASSERT_TRUE(
        RunUntil([&] { return Sheet().Connector().Runs() >= runs && Sheet().Connector().IsIdle(); },
                 300000));
    DeliverHandedCalls();
  }

  std::vector<std::string> Column(int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < List().rowCount(); ++row) {
      cells.push_back(List().item(row, column)->text().toStdString());
    }
    return cells;
  }
  int Row(const std::string& bssid) {
    const auto bssids = Column(1);
    const auto it = std::find(bssids.begin(), bssids.end(), bssid);
    return it == bssids.end() ? -1 : static_cast<int>(it - bssids.begin());
  }
  int RowImage(int row) { return List().item(row, 0)->data(pages::kRowImageRole).toInt(); }
  // The rows carrying the connected mark.
  std::vector<std::string> MarkedRows() {
    std::vector<std::string> marked;
    for (int row = 0; row < List().rowCount(); ++row) {
      if (RowImage(row) % 2 == 1) marked.push_back(List().item(row, 1)->text().toStdString());
    }
    return marked;
  }

  testing_support::RunResult Vtrctl(const std::vector<std::string>& args) {
    const auto scratch = machine_.parent_path();
    return testing_support::RunProgram(
        ProgramFolder() / "vtrctl", args,
        {"RADIODESK_MACHINE=" + machine_.string(), "RADIODESK_PROFILE_DIR=" + profiles_.string(),
         "RADIODESK_VIRTUAL_TIME=1", "XDG_STATE_HOME=" + (scratch / "state").string()},
        scratch);
  }
};

constexpr const char* kCoffeeShop = "00-18-39-C2-8D-14";
constexpr const char* kPrinters = "00-1A-2B-3C-4D-5E";
constexpr const char* kBackroom = "00-1E-58-60-2B-4F";

TEST_F(SiteSurveyTest, ActivationScansAfreshStrongestFirstWithEveryFilterBoxOn) {
  StartAndRest();
  State().ClearSurvey();
  Page().RefreshList();
  ASSERT_EQ(List().rowCount(), 0);
  Sheet().ActivatePage(0);
  WaitForScan();
  ASSERT_GT(State().surveyCount.load(), 10);
  EXPECT_EQ(List().rowCount(), State().surveyCount.load());
  const core::ScanParameters& filter = Page().SurveyFilter();
  EXPECT_EQ(filter.filterMask, 0u);
  EXPECT_EQ(filter.sortKey, 5u);
  EXPECT_EQ(filter.sortDescending, 1u);
  const auto strengths = Column(5);
  for (size_t i = 1; i < strengths.size(); ++i) {
    EXPECT_GE(std::stoi(strengths[i - 1]), std::stoi(strengths[i])) << i;
  }
  for (const int id :
       {pages::kFilterAdHoc, pages::kFilter11a, pages::kFilter11b, pages::kFilter11g}) {
    EXPECT_TRUE(Button(id).isChecked()) << id;
  }
  // The adapters of both machines are dual-band: once the poll has read the capability afresh
  // (keeping its 802.11a bit), the 802.11a box is offered too, and the 5 GHz networks are listed.
  ASSERT_NE(State().adapterCapability.Get().phyModeMask & 2, 0u);
  EXPECT_TRUE(Button(pages::kFilter11a).isEnabled());
  EXPECT_TRUE(Button(pages::kFilter11b).isEnabled());
  EXPECT_GE(Row("00-0C-43-28-70-36"), 0);  // Vantrel-5G
  EXPECT_EQ(List().item(Row("00-0C-43-28-70-36"), 7)->text().left(1), "5");
  EXPECT_FALSE(Button(pages::kConnectButton).isEnabled());
  EXPECT_FALSE(Page().ScanPictureRunning());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SiteSurveyTest, Until802_11aIsKnownItsBoxIsGrey) {
  ASSERT_TRUE(Start());
  // Start-up clears the capability's 802.11a bit, and the first poll has not read it again.
  EXPECT_EQ(State().adapterCapability.Get().phyModeMask & 2, 0u);
  EXPECT_FALSE(Button(pages::kFilter11a).isEnabled());
  EXPECT_TRUE(Button(pages::kFilter11g).isEnabled());
}

TEST_F(SiteSurveyTest, EveryHeaderSortsAsVtrctlSurveyDoesAndAgainTheOtherWay) {
  StartAndRest();
  const std::array<std::string, 8> keys = {"name",    "bssid",  "security", "wps",
                                           "channel", "signal", "type",     "frequency"};
  QHeaderView* header = List().horizontalHeader();
  for (int column = 0; column < 8; ++column) {
    const uint32_t descendingBefore = Page().SurveyFilter().sortDescending;
    emit header->sectionClicked(column);
    WaitForScan();
    EXPECT_EQ(Page().SurveyFilter().sortKey, static_cast<uint32_t>(column));
    EXPECT_NE(Page().SurveyFilter().sortDescending, descendingBefore);
    EXPECT_EQ(Page().SurveyFilter().scanMode, 0u);
    std::vector<std::string> args = {"--json", "survey", "--sort",
                                     keys[static_cast<size_t>(column)]};
    if (Page().SurveyFilter().sortDescending == 0) args.push_back("--ascending");
    const auto result = Vtrctl(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> expected;
    for (const auto& entry : nlohmann::json::parse(result.out)) {
      expected.push_back(entry["bssid"].get<std::string>());
    }
    EXPECT_EQ(Column(1), expected) << keys[static_cast<size_t>(column)];
  }
  // Signal twice: ascending, then descending again, each without asking the adapter.
  // The list is redrawn once the page has handled the click: wait for that, not a fixed time.
  const auto signalSorted = [this](bool ascending) {
    const auto signal = Column(5);
    return !signal.empty() && (ascending ? std::stoi(signal.front()) <= std::stoi(signal.back())
                                         : std::stoi(signal.front()) >= std::stoi(signal.back()));
  };
  emit header->sectionClicked(5);
  WaitForScan();
  EXPECT_TRUE(RunUntil([&] { return signalSorted(true); }, 60000));
  emit header->sectionClicked(5);
  WaitForScan();
  EXPECT_TRUE(RunUntil([&] { return signalSorted(false); }, 60000));
  auto* shown = static_cast<controls::SortHeader*>(header);
  EXPECT_EQ(shown->SortedColumn(), 5);
  EXPECT_EQ(shown->SortedOrder(), Qt::DescendingOrder);
}

TEST_F(SiteSurveyTest, EachFilterBoxHidesItsNetworksAndBringsThemBack) {
  StartAndRest();
  const int all = List().rowCount();
  auto rowsWith = [this](int column, const std::string& text) {
    const auto cells = Column(column);
    return std::count(cells.begin(), cells.end(), text);
  };
  auto bandRows = [this](int image) {
    int rows = 0;
    for (int row = 0; row < List().rowCount(); ++row) rows += RowImage(row) / 2 == image / 2;
    return rows;
  };
  ASSERT_GT(rowsWith(6, "Ad-Hoc"), 0);
  ASSERT_GT(bandRows(controls::kRow11b), 0);
  ASSERT_GT(bandRows(controls::kRow11g), 0);

  Button(pages::kFilterAdHoc).click();
  WaitForScan();
  EXPECT_EQ(Page().SurveyFilter().filterMask, 1u);
  EXPECT_EQ(Page().SurveyFilter().scanMode, 0u);
  EXPECT_TRUE(RunUntil([&] { return rowsWith(6, "Ad-Hoc") == 0; }, 60000));
  Button(pages::kFilter11b).click();
  WaitForScan();
  EXPECT_EQ(Page().SurveyFilter().filterMask, 5u);
  EXPECT_TRUE(RunUntil([&] { return bandRows(controls::kRow11b) == 0; }, 60000));
  Button(pages::kFilter11g).click();
  WaitForScan();
  EXPECT_EQ(Page().SurveyFilter().filterMask, 13u);
  EXPECT_TRUE(RunUntil([&] { return bandRows(controls::kRow11g) == 0; }, 60000));
  // What is left is the 5 GHz neighbourhood.
  EXPECT_GT(List().rowCount(), 0);
  EXPECT_EQ(bandRows(controls::kRow11a), List().rowCount());
  Button(pages::kFilter11a).click();
  WaitForScan();
  EXPECT_EQ(Page().SurveyFilter().filterMask, 15u);
  EXPECT_TRUE(RunUntil([this] { return List().rowCount() == 0; }, 60000));

  for (const int id :
       {pages::kFilterAdHoc, pages::kFilter11a, pages::kFilter11b, pages::kFilter11g}) {
    Button(id).click();
    WaitForScan();
  }
  EXPECT_EQ(Page().SurveyFilter().filterMask, 0u);
  EXPECT_TRUE(RunUntil([&] { return List().rowCount() == all; }, 60000));
}

TEST_F(SiteSurveyTest, TheConnectedMarkFollowsTheLinkVtrctlMakes) {
  StartQuietAndRest();
  EXPECT_TRUE(MarkedRows().empty());
  auto result = Vtrctl({"connect", "--ssid", "CoffeeShop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(RunUntil([this] { return MarkedRows().size() == 1; }, core::kPollPeriodMs * 3));
  EXPECT_EQ(MarkedRows(), std::vector<std::string>{kCoffeeShop});
  EXPECT_EQ(RowImage(Row(kCoffeeShop)), controls::kRow11g + 1);

  result = Vtrctl({"disconnect"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(RunUntil([this] { return MarkedRows().empty(); }, core::kPollPeriodMs * 3));
  result = Vtrctl({"connect", "--ssid", "Printers", "--no-wait"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(RunUntil([this] { return !MarkedRows().empty(); }, core::kPollPeriodMs * 3));
  EXPECT_EQ(MarkedRows(), std::vector<std::string>{kPrinters});
}

TEST_F(SiteSurveyTest, AHiddenNetworkIsListedByItsAddressAndPreparedRatherThanJoined) {
  MessageLog messages;
  StartQuietAndRest();
  const int row = Row(kBackroom);
  ASSERT_GE(row, 0);
  EXPECT_EQ(List().item(row, 0)->text(), "");
  EXPECT_EQ(List().item(row, 2)->text(), "WPA2-PSK");
  List().selectRow(row);
  emit List().cellClicked(row, 0);
  ASSERT_TRUE(Button(pages::kConnectButton).isEnabled());
  Button(pages::kConnectButton).click();
  WaitForConnect(1);
  EXPECT_EQ(Link().linkState, 2u);
  EXPECT_TRUE(State().surveyProfilePending.load());
  // The Profile Manager page takes the prepared profile, to be completed there.
  EXPECT_EQ(State().activePage.load(), core::kPageProfileManager);
  EXPECT_EQ(Sheet().Tabs()->currentWidget(), dynamic_cast<QWidget*>(Sheet().ProfileManager()));
  ProfileRecord prepared{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &prepared));
  EXPECT_STREQ(prepared.ssid, "");
  EXPECT_STREQ(prepared.bssid, kBackroom);
}

TEST_F(SiteSurveyTest, ConnectJoinsAnOpenNetworkAsDefaultAndTheTrayAndListFollow) {
  StartQuietAndRest();
  const int row = Row(kCoffeeShop);
  ASSERT_GE(row, 0);
  List().selectRow(row);
  emit List().cellClicked(row, 0);
  Button(pages::kConnectButton).click();
  // The button waits while the worker runs.
  EXPECT_FALSE(Button(pages::kConnectButton).isEnabled());
  WaitForConnect(1);
  EXPECT_EQ(LinkSsid(), "CoffeeShop");
  EXPECT_EQ(Page().ShownConnectPicture(), controls::kConnectPictureConnected);
  ProfileRecord stored{};
  ASSERT_EQ(core::ReadSettingBinary("Default Profile", &stored, sizeof stored), 0);
  EXPECT_STREQ(stored.profileName, "<Default>");
  EXPECT_STREQ(stored.ssid, "CoffeeShop");
  ASSERT_TRUE(RunUntil([this] { return Sheet().TrayState() == core::kTrayConnected; },
                       core::kPollPeriodMs * 2));
  EXPECT_TRUE(Sheet().Tray().Tooltip().endsWith("Connected"));
  EXPECT_EQ(MarkedRows(), std::vector<std::string>{kCoffeeShop});

  // A double click on another open network joins it the same way.
  const int printers = Row(kPrinters);
  ASSERT_GE(printers, 0);
  emit List().cellDoubleClicked(printers, 0);
  WaitForConnect(2);
  EXPECT_EQ(LinkSsid(), "Printers");
}

TEST_F(SiteSurveyTest, TheChosenNetworkStaysChosenAcrossARefreshAndAResort) {
  StartQuietAndRest();
  auto selected = [this] {
    const auto rows = List().selectionModel()->selectedRows();
    return rows.isEmpty() ? std::string()
                          : List().item(rows.first().row(), 1)->text().toStdString();
  };
  const int row = Row(kCoffeeShop);
  ASSERT_GE(row, 0);
  List().selectRow(row);
  // The sheet's poll refreshes the rows when the link changes.
  Page().RefreshList();
  EXPECT_EQ(selected(), kCoffeeShop);
  EXPECT_TRUE(Button(pages::kConnectButton).isEnabled());
  // A refresh while a scan runs finds no rows; the choice comes back with the scan's result.
  const int32_t count = State().surveyCount.load();
  State().surveyCount = 0;
  Page().RefreshList();
  EXPECT_EQ(List().rowCount(), 0);
  EXPECT_FALSE(Button(pages::kConnectButton).isEnabled());
  State().surveyCount = count;
  Page().RefreshList();
  EXPECT_EQ(selected(), kCoffeeShop);
  // A re-sort moves the row; the choice moves with it.
  emit List().horizontalHeader()->sectionClicked(0);
  WaitForScan();
  ASSERT_NE(Row(kCoffeeShop), row);
  EXPECT_EQ(selected(), kCoffeeShop);
  ASSERT_TRUE(Button(pages::kConnectButton).isEnabled());
  Button(pages::kConnectButton).click();
  WaitForConnect(1);
  EXPECT_EQ(LinkSsid(), "CoffeeShop");
}

TEST_F(SiteSurveyTest, DisconnectLeavesTheNetworkAndTheTrayShowsNoConnection) {
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true);
  StartAndRest();
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  Button(pages::kDisconnectButton).click();
  EXPECT_EQ(Link().linkState, 2u);
  EXPECT_EQ(Sheet().TrayState(), core::kTrayNoConnection);
  EXPECT_EQ(Page().ShownConnectPicture(), controls::kConnectPictureFirst);
  EXPECT_FALSE(Sheet().ConnectPending());
  EXPECT_TRUE(MarkedRows().empty());
  RunFor(core::kPollPeriodMs * 2);
  EXPECT_EQ(Link().linkState, 2u);
}

TEST_F(SiteSurveyTest, RescanIsRefusedWhileAConnectRuns) {
  StartQuietAndRest();
  const int row = Row(kCoffeeShop);
  List().selectRow(row);
  // A scan the poll started greys "&Connect" until it ends.
  ASSERT_TRUE(RunUntil([this] { return Button(pages::kConnectButton).isEnabled(); }, 60000));
  {
    // With the clock standing still the connect cannot end while the test looks at it.
    MachineClockHold hold;
    Button(pages::kConnectButton).click();
    ASSERT_TRUE(RunUntil([this] { return Sheet().Connector().Runs() >= 1; }, 1000));
    ASSERT_FALSE(Sheet().Connector().IsIdle());
    EXPECT_FALSE(Button(pages::kRescanButton).isEnabled());
    Page().Rescan();
    EXPECT_TRUE(Sheet().Scanner().IsIdle());
  }
  WaitForConnect(1);
  EXPECT_TRUE(Button(pages::kRescanButton).isEnabled());
  Button(pages::kRescanButton).click();
  EXPECT_FALSE(Sheet().Scanner().IsIdle());
  WaitForScan();
}

TEST_F(SiteSurveyTest, EnterpriseOffRefusesAnEnterpriseNetworkWithItsMessage) {
  MessageLog messages;
  SetSetting("EnterpriseOff", "");
  StartQuietAndRest();
  const int row = Row("00-16-B6-20-01-12");  // Office-Corp, WPA2 Radius
  ASSERT_GE(row, 0);
  ASSERT_EQ(List().item(row, 2)->text(), "WPA2 Radius");
  List().selectRow(row);
  Button(pages::kConnectButton).click();
  RunFor(100);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "Not support this connect mode !");
  EXPECT_EQ(Sheet().Connector().Runs(), 0u);
  EXPECT_TRUE(Button(pages::kConnectButton).isEnabled());
}

TEST_F(SiteSurveyTest, AnAdapterPulledDuringAScanLeavesThePageAtRest) {
  StartAndRest();
  Button(pages::kRescanButton).click();
  ASSERT_FALSE(Sheet().Scanner().IsIdle());
  SetAdapterPresent(false);
  ASSERT_TRUE(RunUntil([this] { return !Sheet().CardPresent(); }, core::kPollPeriodMs * 2));
  RunFor(200);
  EXPECT_FALSE(Page().ScanPictureRunning());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(Button(pages::kFilter11g).isEnabled());
  EXPECT_EQ(List().rowCount(), 0);
  EXPECT_FALSE(Button(pages::kConnectButton).isEnabled());
  // Plugged back, the page scans again when it is shown.
  SetAdapterPresent(true);
  ASSERT_TRUE(RunUntil([this] { return List().rowCount() > 0; }, 60000));
}

TEST_F(SiteSurveyTest, ScanPictureTurnsWhileScanningAndConnectionPictureSteps) {
  StartAndRest();
  Page().OnScanStarted(true);
  EXPECT_TRUE(Page().ScanPictureRunning());
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(Button(pages::kFilter11b).isEnabled());
  const int before = Page().ShownScanPicture();
  RunFor(pages::kScanPictureMs + 10);
  EXPECT_NE(Page().ShownScanPicture(), before);
  Page().OnScanFinished(true);
  EXPECT_FALSE(Page().ScanPictureRunning());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(Button(pages::kFilter11b).isEnabled());

  // The beam's steps in turn, then the picture at rest, and round again.
  while (Page().ShownScanPicture() != controls::kScanPictureRest) Page().StepScanPicture();
  for (int picture = controls::kScanPictureFirstStep; picture <= controls::kScanPictureLastStep;
       ++picture) {
    Page().StepScanPicture();
    EXPECT_EQ(Page().ShownScanPicture(), picture);
  }
  Page().StepScanPicture();
  EXPECT_EQ(Page().ShownScanPicture(), controls::kScanPictureRest);
  Page().StepScanPicture();
  EXPECT_EQ(Page().ShownScanPicture(), controls::kScanPictureFirstStep);

  // The connection picture: the search's steps, then the connected picture, back to step 1.
  Page().StopConnectAnimation(4);
  Page().StepConnectAnimation();
  EXPECT_EQ(Page().ShownConnectPicture(), controls::kConnectPictureFirst + 4);
  Page().StepConnectAnimation();
  EXPECT_EQ(Page().ShownConnectPicture(), controls::kConnectPictureConnected);
  EXPECT_EQ(Page().ConnectFrame(), 1);
  Page().StepConnectAnimation();
  EXPECT_EQ(Page().ShownConnectPicture(), controls::kConnectPictureFirst + 1);
}

TEST_F(SiteSurveyTest, LongNamesShowTheirWholeTextInATitleTip) {
  StartAndRest();
  const int row = Row("00-0C-43-28-70-36");  // Vantrel-5G
  ASSERT_GE(row, 0);
  auto& list = static_cast<controls::TitleTipTable&>(List());
  const QPoint name = list.visualItemRect(list.item(row, 0)).center();
  EXPECT_TRUE(list.TitleTipAt(name).isEmpty());
  list.setColumnWidth(0, 30);
  EXPECT_EQ(list.TitleTipAt(list.visualItemRect(list.item(row, 0)).center()), "Vantrel-5G");
}

TEST_F(SiteSurveyTest, JapaneseMovesTheScanPictureRightAndNarrowsIt) {
  SetSetting("Language", "Japanese");
  ASSERT_TRUE(Start());
  EXPECT_EQ(core::FindControl(&Page(), pages::kScanFrame)->width(), 80);
  EXPECT_EQ(core::FindControl(&Page(), pages::kScanPicture)->width(), 74);
  EXPECT_EQ(core::FindControl(&Page(), pages::kConnectFrame)->height(), 70);
}

TEST_F(SiteSurveyTest, EnglishMovesThePicturesDownAndMakesThemShorter) {
  SetSetting("Language", "English");
  ASSERT_TRUE(Start());
  EXPECT_EQ(core::FindControl(&Page(), pages::kScanFrame)->height(), 68);
  EXPECT_EQ(core::FindControl(&Page(), pages::kConnectFrame)->width(), 154);
  EXPECT_EQ(core::FindControl(&Page(), pages::kConnectPicture)->height(), 60);
}

}  // namespace
}  // namespace app_testing

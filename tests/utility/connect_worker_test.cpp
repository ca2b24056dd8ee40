// The sheet's ConnectWorker on a simulated machine: a network picked from the survey joined at
// once or prepared as "<Default>", a record applied from the Profile Manager, a store that
// refuses the record, and one connect at a time.
#include <cstring>
#include <memory>

#include "app/core/app_state.h"
#include "app/core/connect_worker.h"
#include "app/core/message_box.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using core::State;

// Records every message box and answers OK.
class MessageLog {
 public:
  MessageLog() {
    core::SetMessageHook([this](const QString& text, core::MessageIcon icon) {
      texts.push_back(text);
      icons.push_back(icon);
      return QMessageBox::Ok;
    });
  }
  ~MessageLog() { core::SetMessageHook({}); }
  std::vector<QString> texts;
  std::vector<core::MessageIcon> icons;
};

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

class ConnectWorkerTest : public UtilityTest {
 protected:
  // The entry of the last scan with that SSID (the first, in the survey's order).
  VtrSurveyEntry Entry(const std::string& ssid) {
    const auto survey = State().surveyList.Get();
    for (int32_t i = 0; i < State().surveyCount; ++i) {
      if (core::SurveySsid(survey[static_cast<size_t>(i)]) == ssid) {
        return survey[static_cast<size_t>(i)];
      }
    }
    ADD_FAILURE() << ssid << " is not in the survey";
    return {};
  }

  // Starts with no link: the default profile names a network that is not there and the automatic
  // connection tries nothing else (an empty store would get "<Default>" for any open network).
  void StartUnjoined() {
    AddProfile("Gone", "NotHere", 0, 0, {}, true);
    SetSetting("AutoConnect", "0");
    StartAndSettle();
  }

  void WaitForConnectEnd(uint64_t runs) {
    ASSERT_TRUE(
        RunUntil([&] { return Sheet().Connector().Runs() >= runs && Sheet().Connector().IsIdle(); },
                 300000));
    DeliverHandedCalls();
  }

  std::string DefaultProfileName() {
    auto list = std::make_unique<core::ProfileArray>();
    const int32_t count = Library().ReadProfileList(core::kListCapacity, list->data());
    const int32_t index = Library().FindDefaultProfile(count, list->data());
    return index < 0 ? "" : (*list)[static_cast<size_t>(index)].profileName;
  }
};

TEST_F(ConnectWorkerTest, AnOpenNetworkIsStoredAsDefaultJoinedAndKeptInTheRegistry) {
  StartUnjoined();
  ASSERT_EQ(Link().linkState, 2u);
  const VtrSurveyEntry coffee = Entry("CoffeeShop");
  ASSERT_TRUE(core::JoinsDirectly(coffee));
  State().surveyProfilePending = true;
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(coffee));
  // One connect at a time.
  EXPECT_FALSE(Sheet().Connector().StartFromSurvey(coffee));
  WaitForConnectEnd(1);

  EXPECT_EQ(LinkSsid(), "CoffeeShop");
  EXPECT_FALSE(State().connectWorkerBusy.load());
  EXPECT_FALSE(State().surveyProfilePending.load());
  ProfileRecord stored{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &stored));
  EXPECT_STREQ(stored.ssid, "CoffeeShop");
  EXPECT_STREQ(stored.bssid, coffee.bssid);
  EXPECT_EQ(stored.surveyChannel, 1u);
  EXPECT_EQ(DefaultProfileName(), "<Default>");
  ProfileRecord kept{};
  ASSERT_EQ(core::ReadSettingBinary("Default Profile", &kept, sizeof kept), 0);
  EXPECT_STREQ(kept.profileName, "<Default>");
  EXPECT_STREQ(kept.ssid, "CoffeeShop");
  EXPECT_TRUE(RunUntil([this] { return Sheet().TrayState() == core::kTrayConnected; },
                       core::kPollPeriodMs * 2));
}

TEST_F(ConnectWorkerTest, ASecuredNetworkIsPreparedAsDefaultWithoutAConnectAttempt) {
  MessageLog messages;
  StartUnjoined();
  const VtrSurveyEntry home = Entry("HomeNet");
  ASSERT_FALSE(core::JoinsDirectly(home));
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(home));
  WaitForConnectEnd(1);

  EXPECT_EQ(Link().linkState, 2u);
  EXPECT_TRUE(State().surveyProfilePending.load());
  // HomeNet offers WPS: the flag waits for the Profile Manager page, which takes it as it shows
  // when the adapter has WPS.
  const bool taken =
      Sheet().ProfileManager() != nullptr && State().adapterCapability.Get().wpsSupported != 0;
  EXPECT_EQ(State().wpsAutoStart.load(), !taken);
  ProfileRecord stored{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &stored));
  EXPECT_STREQ(stored.ssid, "HomeNet");
  EXPECT_EQ(stored.authMode, 8u);
  EXPECT_EQ(stored.encryption, 4u);
  EXPECT_EQ(DefaultProfileName(), "<Default>");
  EXPECT_STREQ(State().defaultProfileRecord.Get().ssid, "HomeNet");
  // Nothing joined, so nothing is kept as the registry's default.
  ProfileRecord kept{};
  EXPECT_NE(core::ReadSettingBinary("Default Profile", &kept, sizeof kept), 0);
  // Without a Profile Manager page to hand over to, the user is told.
  if (Sheet().ProfileManager() == nullptr) {
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.icons[0], core::MessageIcon::Exclamation);
  }
}

TEST_F(ConnectWorkerTest, AnAdHocNetworkIsPreparedWithItsBandAndChannel) {
  MessageLog messages;
  StartAndSettle();
  const VtrSurveyEntry party = Entry("LanParty");
  ASSERT_EQ(party.networkType, 0u);
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(party));
  WaitForConnectEnd(1);
  ProfileRecord stored{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &stored));
  EXPECT_EQ(stored.networkType, 0u);
  EXPECT_EQ(stored.adhocWirelessMode,
            party.phyMode == 2 || party.phyMode == 4 ? party.phyMode : 8u);
  EXPECT_EQ(stored.adhocChannel, 10u);
  EXPECT_FALSE(State().wpsAutoStart.load());
}

TEST_F(ConnectWorkerTest, AnAppliedRecordIsStoredUnderItsNameJoinedAndItsDefaultUpdated) {
  MessageLog messages;
  StartAndSettle();
  // As after a pick on the Site Survey page: "<Default>" prepared from HomeNet, waiting.
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(Entry("HomeNet")));
  WaitForConnectEnd(1);
  ASSERT_TRUE(State().surveyProfilePending.load());
  ProfileRecord record = State().defaultProfileRecord.Get();
  SetField(record.profileName, "Home");
  SetField(record.psk, "correct horse battery");
  record.pskLength = 21;
  State().defaultProfileRecord.Set(record);
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  WaitForConnectEnd(2);

  EXPECT_EQ(LinkSsid(), "HomeNet");
  EXPECT_EQ(DefaultProfileName(), "Home");
  EXPECT_FALSE(State().surveyProfilePending.load());
  // The picked network's "<Default>" took the settings the user completed.
  ProfileRecord asDefault{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &asDefault));
  EXPECT_STREQ(asDefault.psk, "correct horse battery");
  ProfileRecord kept{};
  ASSERT_EQ(core::ReadSettingBinary("Default Profile", &kept, sizeof kept), 0);
  EXPECT_STREQ(kept.profileName, "Home");
  // Applied again, the stored profile is rewritten rather than added twice.
  auto list = std::make_unique<core::ProfileArray>();
  const int32_t before = Library().ReadProfileList(core::kListCapacity, list->data());
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  WaitForConnectEnd(3);
  EXPECT_EQ(Library().ReadProfileList(core::kListCapacity, list->data()), before);
  if (Sheet().ProfileManager() == nullptr) {
    EXPECT_EQ(messages.texts.size(), 1u);
  }
}

TEST_F(ConnectWorkerTest, AFullStoreRefusesTheRecordWithItsMessageAndNothingIsJoined) {
  for (int i = 0; i < core::kListCapacity; ++i) {
    AddProfile("P" + std::to_string(i), "NotHere", 0, 0, {}, i == 0);
  }
  SetSetting("AutoConnect", "0");
  MessageLog messages;
  StartAndSettle();
  ProfileRecord record{};
  Library().InitialProfile(&record);
  SetField(record.profileName, "Coffee");
  SetField(record.ssid, "CoffeeShop");
  record.networkType = 1;
  State().defaultProfileRecord.Set(record);
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  WaitForConnectEnd(1);
  // The message is queued by the worker; the notice's timers may move the clock past it first.
  ASSERT_TRUE(RunUntil([&] { return !messages.texts.empty(); }, 5000));
  ASSERT_EQ(messages.texts.size(), 1u) << messages.texts.back().toStdString();
  EXPECT_EQ(messages.texts[0], "Profile numbers is Full !");
  EXPECT_EQ(messages.icons[0], core::MessageIcon::Exclamation);
  EXPECT_EQ(Link().linkState, 2u);
}

TEST_F(ConnectWorkerTest, WithTheAdapterPulledNothingIsStoredOrJoined) {
  StartUnjoined();
  const VtrSurveyEntry coffee = Entry("CoffeeShop");
  SetAdapterPresent(false);
  ASSERT_TRUE(RunUntil([this] { return !Sheet().CardPresent(); }, core::kPollPeriodMs));
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(coffee));
  WaitForConnectEnd(1);
  ProfileRecord stored{};
  EXPECT_FALSE(Library().ReadSingleProfile("<Default>", &stored));
  EXPECT_FALSE(State().connectWorkerBusy.load());
}

}  // namespace
}  // namespace app_testing

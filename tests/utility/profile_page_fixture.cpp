#include "utility/profile_page_fixture.h"

#include <QTabWidget>
#include <cstring>
#include <memory>
#include <utility>

#include "app/core/app_state.h"
#include "app/core/connect_worker.h"
#include "app/core/file_dialog.h"
#include "app/core/record_text.h"
#include "app/core/survey_profile.h"
#include "app/pages/working_profile.h"

namespace app_testing {

void ProfilePageTest::SetUp() {
  UtilityTest::SetUp();
  core::SetMessageHook([this](const QString& text, core::MessageIcon icon) {
    messages_.push_back({text.toStdString(), icon});
    return icon == core::MessageIcon::Question ? answer_ : QMessageBox::Ok;
  });
  core::SetFileDialogHook([this](const core::FileDialogRequest& request) {
    fileRequests_.push_back(request);
    return filePath_;
  });
}

void ProfilePageTest::TearDown() {
  UtilityTest::TearDown();
  core::SetMessageHook({});
  core::SetFileDialogHook({});
}

pages::CVantrelProfileManagerPage& ProfilePageTest::Page() {
  for (core::SheetPage* page : Sheet().Pages()) {
    if (auto* manager = dynamic_cast<pages::CVantrelProfileManagerPage*>(page)) return *manager;
  }
  ADD_FAILURE() << "no Profile Manager page";
  std::abort();
}

void ProfilePageTest::ShowPage() {
  Sheet().ActivatePage(Sheet().Tabs()->indexOf(&Page()));
}

QLineEdit* ProfilePageTest::Edit(int id) {
  QWidget* control = core::FindControl(&Page(), id);
  if (auto* list = qobject_cast<QComboBox*>(control)) return list->lineEdit();
  auto* edit = qobject_cast<QLineEdit*>(control);
  EXPECT_NE(edit, nullptr) << "no edit " << id;
  return edit;
}

void ProfilePageTest::Choose(QComboBox* list, uint32_t value) {
  const int index = list->findData(value);
  ASSERT_GE(index, 0) << "no entry " << value;
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void ProfilePageTest::ChooseText(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  ASSERT_GE(index, 0) << "no entry " << text.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void ProfilePageTest::Type(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  emit edit->textEdited(edit->text());
}

std::vector<uint32_t> ProfilePageTest::Values(const QComboBox* list) {
  std::vector<uint32_t> values;
  for (int i = 0; i < list->count(); ++i) values.push_back(list->itemData(i).toUInt());
  return values;
}

std::vector<ShownMessage> ProfilePageTest::TakeMessages() {
  return std::exchange(messages_, {});
}

std::string ProfilePageTest::OnlyMessage() {
  const auto shown = TakeMessages();
  EXPECT_EQ(shown.size(), 1u);
  return shown.empty() ? std::string() : shown.back().text;
}

std::vector<ProfileRecord> ProfilePageTest::StoredProfiles() const {
  auto list = std::make_unique<core::ProfileArray>();
  const int32_t count = Library().ReadProfileList(core::kListCapacity, list->data());
  return std::vector<ProfileRecord>(list->begin(), list->begin() + std::max(count, 0));
}

std::optional<ProfileRecord> ProfilePageTest::Stored(const std::string& name) const {
  for (const ProfileRecord& record : StoredProfiles()) {
    if (core::FieldText(record.profileName) == name) return record;
  }
  return std::nullopt;
}

std::string ProfilePageTest::DefaultName() const {
  for (const ProfileRecord& record : StoredProfiles()) {
    if (record.isDefault == 1) return std::string(core::FieldText(record.profileName));
  }
  return {};
}

testing_support::RunResult ProfilePageTest::Vtrctl(const std::vector<std::string>& args) const {
  return testing_support::RunProgram(
      ProgramFolder() / "vtrctl", args,
      {"RADIODESK_MACHINE=" + machine_.string(), "RADIODESK_PROFILE_DIR=" + profiles_.string(),
       "RADIODESK_VIRTUAL_TIME=1"},
      machine_.parent_path());
}

ProfileRecord ProfilePageTest::Working() {
  return pages::WorkingProfile();
}

void ProfilePageTest::TypeProfile(const QString& name, const QString& ssid) {
  Type(Edit(pages::kProfileNameList), name);
  Type(Edit(pages::kSsidList), ssid);
}

VtrSurveyEntry ProfilePageTest::SurveyEntry(const std::string& ssid) {
  const auto survey = core::State().surveyList.Get();
  for (int32_t i = 0; i < core::State().surveyCount; ++i) {
    if (core::SurveySsid(survey[static_cast<size_t>(i)]) == ssid) {
      return survey[static_cast<size_t>(i)];
    }
  }
  ADD_FAILURE() << ssid << " is not in the survey";
  return {};
}

void ProfilePageTest::WaitForConnectEnd(uint64_t runs) {
  auto& connector = Sheet().Connector();
  EXPECT_TRUE(RunUntil([&] { return connector.Runs() >= runs && connector.IsIdle(); }, 300000));
  DeliverHandedCalls();
}

}  // namespace app_testing

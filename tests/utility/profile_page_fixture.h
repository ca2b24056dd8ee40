// The Profile Manager page on a simulated machine: its controls by number, user actions on them
// (a choice from a list, typing, a click), the message boxes and file dialogs it opens answered
// by the test, and the store as the library and vtrctl read it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/control_ids.h"
#include "app/core/file_dialog.h"
#include "app/core/message_box.h"
#include "app/pages/profile_manager_page.h"
#include "support/program_runner.h"
#include "utility/utility_fixture.h"

namespace app_testing {

struct ShownMessage {
  std::string text;
  core::MessageIcon icon;
};

class ProfilePageTest : public UtilityTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  pages::CVantrelProfileManagerPage& Page();
  // Makes the page the sheet's active tab.
  void ShowPage();

  template <typename T = QWidget>
  T* Control(int id) {
    auto* control = qobject_cast<T*>(core::FindControl(&Page(), id));
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
  }
  QComboBox* List(int id) { return Control<QComboBox>(id); }
  QLineEdit* Edit(int id);
  QAbstractButton* Button(int id) { return Control<QAbstractButton>(id); }

  // What a user does: picks the entry standing for value (or with that text), types a text
  // over a field, clicks.
  static void Choose(QComboBox* list, uint32_t value);
  static void ChooseText(QComboBox* list, const QString& text);
  static void Type(QLineEdit* edit, const QString& text);
  static void Click(QAbstractButton* button) { button->click(); }
  // The values a list offers, in order.
  static std::vector<uint32_t> Values(const QComboBox* list);

  // The messages shown since the last call, and the answer the next question gets.
  std::vector<ShownMessage> TakeMessages();
  // The only message shown since the last call (a failure when there is not exactly one).
  std::string OnlyMessage();
  QMessageBox::StandardButton answer_ = QMessageBox::Ok;
  // The path the next file dialog gives (empty: Cancel), and the requests seen.
  QString filePath_;
  std::vector<core::FileDialogRequest> fileRequests_;

  // Runs act on the modal dialog of type T that opens when opener is clicked; act closes it.
  template <typename T>
  void WithDialog(QAbstractButton* opener, const std::function<void(T&)>& act) {
    auto acted = std::make_shared<bool>(false);
    PostToDialog<T>(act, acted, kDialogTries);
    opener->click();
    // A dialog that never opened leaves its tries queued: they end here, not in a later step.
    for (int i = 0; i <= kDialogTries && !*acted; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(*acted) << "no dialog opened";
  }

  // The store as the library reads it.
  std::vector<ProfileRecord> StoredProfiles() const;
  std::optional<ProfileRecord> Stored(const std::string& name) const;
  std::string DefaultName() const;
  // vtrctl of this machine and store.
  testing_support::RunResult Vtrctl(const std::vector<std::string>& args) const;

  // The working profile the page edits.
  static ProfileRecord Working();
  // Fills the editor with a new infrastructure profile name and SSID, as a user types them.
  void TypeProfile(const QString& name, const QString& ssid);

  // The last scan's first entry with that SSID.
  VtrSurveyEntry SurveyEntry(const std::string& ssid);
  // Runs the machine until the sheet's connect worker has ended its runs-th run.
  void WaitForConnectEnd(uint64_t runs);

 private:
  static constexpr int kDialogTries = 20;

  template <typename T>
  void PostToDialog(const std::function<void(T&)>& act, std::shared_ptr<bool> acted,
                    int triesLeft) {
    QMetaObject::invokeMethod(
        qApp,
        [this, act, acted, triesLeft] {
          for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = dynamic_cast<T*>(widget);
            if (dialog != nullptr && dialog->isVisible()) {
              *acted = true;
              act(*dialog);
              return;
            }
          }
          if (triesLeft > 0) PostToDialog<T>(act, acted, triesLeft - 1);
        },
        Qt::QueuedConnection);
  }

  std::vector<ShownMessage> messages_;
};

// The control of a dialog by number.
template <typename T = QWidget>
T* DialogControl(QDialog& dialog, int id) {
  return qobject_cast<T*>(core::FindControl(&dialog, id));
}

}  // namespace app_testing

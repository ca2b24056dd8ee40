// CVantrelProfileManagerPage: the sheet's second tab. It lists the profiles the library keeps
// and edits one at a time, the working profile DefaultProfileRecord: its name, network name,
// network type, wireless mode and channel, and its security (ProfileSecurityGroup). Its actions
// save, delete, apply (store and connect), import and export profiles. The page keeps no
// profiles of its own: every list comes from the library and every change goes back through it.
#pragma once

#include <cstdint>

#include "app/core/sheet_page.h"
#include "app/core/vtr_library.h"

class QAbstractButton;
class QComboBox;
class QRadioButton;

namespace pages {

class ProfileSecurityGroup;

enum ProfileManagerControl : int {
  kSaveProfile = 3000,
  kDeleteProfile = 3001,
  kApplyProfile = 3002,
  kExportProfiles = 3004,
  kImportProfiles = 3005,
  kProfileSettingGroup = 3006,
  kProfileNameGroup = 3007,
  kProfileNameList = 3008,
  kSsidGroup = 3009,
  kSsidList = 3010,
  kAdvanceSettings = 3011,
  kNetworkTypeGroup = 3041,
  kInfrastructureRadio = 3042,
  kAdHocRadio = 3043,
  kWirelessModeLabel = 3045,
  kWirelessModeList = 3046,
  kChannelLabel = 3047,
  kChannelList = 3048,
  kWpsFunction = 3400,
};

class CVantrelProfileManagerPage : public core::SheetPage, public core::ProfileManagerHooks {
 public:
  CVantrelProfileManagerPage(core::CVantrelPropertySheet& sheet, const core::CVtrLibrary& lib);

  void OnSetActive() override;

  void ShowRecord(const ProfileRecord& record) override;
  // Hidden, the list refresh; shown, the lists renewed around the editor, which keeps its edit.
  void RefreshProfiles() override;
  void ConnectWorkerRunning(bool running) override;

 private:
  void BuildLayout();
  QWidget* BuildEditor();
  QWidget* BuildActions();
  void SetTexts();
  void ConnectHandlers();

  // The list refresh: the names from the store, the default selected and shown; a store
  // without a default gets "<Default>" as its default.
  void RefreshList();
  int32_t ReadNames();
  bool CreateDefaultProfile();
  void OnProfileSelected();
  void OnNameTyped(const QString& text);
  void OnSsidTyped(const QString& text);
  void OnSsidChosen(int index);
  void SetNetworkType(uint32_t networkType);
  void BuildWirelessModeList();
  void OnWirelessModeChosen();
  void BuildChannelList();
  void RebuildSsidList();

  void SaveProfile();
  void DeleteProfile();
  void ApplyProfile();
  void ImportProfiles();
  void ExportProfiles();
  // The name trimmed of blanks at both ends (in the record and the field), and the checks of
  // Save (forSave) or Apply; false after the first problem's message.
  bool ValidateEditor(bool forSave);
  void StoreUnderDefaultWhenPending();
  void AddOrOverwrite(const ProfileRecord& record);
  void MakeDefault(const ProfileRecord& record);
  void SetActionsEnabled(bool enabled);
  void ReenableActions();
  // "Advance Settings" and "&WPS Function" (also pressed on activation for WpsAutoStart): each
  // opens its modal dialog; the WPS dialog runs on without holding the caller.
  void OpenAdvanceSettings();
  void OpenWpsFunction();

  const core::CVtrLibrary& lib_;
  QComboBox* names_ = nullptr;
  QComboBox* ssids_ = nullptr;
  QAbstractButton* advance_ = nullptr;
  QAbstractButton* wps_ = nullptr;
  QRadioButton* infrastructure_ = nullptr;
  QRadioButton* adHoc_ = nullptr;
  QComboBox* wirelessMode_ = nullptr;
  QComboBox* channels_ = nullptr;
  ProfileSecurityGroup* security_ = nullptr;
  QAbstractButton* save_ = nullptr;
  QAbstractButton* delete_ = nullptr;
  QAbstractButton* apply_ = nullptr;
  QAbstractButton* export_ = nullptr;
  QAbstractButton* import_ = nullptr;
};

}  // namespace pages

// The About page on simulated machines: the adapter's facts as vtrctl driver reports them, a
// machine whose driver differs from the preset, no adapter at all, the versions and dates of the
// program folder's files, the link to the maker's site and the logo's ripples.
#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QMouseEvent>
#include <cstring>
#include <fstream>

#include "app/controls/hyperlink_label.h"
#include "app/controls/ripple_image.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/vtr_library.h"
#include "app/pages/about_page.h"
#include "platform/services.h"
#include "platform/version_resource.h"
#include "support/machine_fixture.h"
#include "utility/url_catcher.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

namespace fs = std::filesystem;
using namespace pages;

TEST(AboutTexts, TheDriverLineShowsItsDateOnlyWhenItHasOne) {
  VtrAdapterInfo info{};
  std::strcpy(info.driverVersion, "1.3.0.0");
  info.driverDate = {2008, 3, 0, 5, 0, 0, 0, 0};
  EXPECT_EQ(AdapterDriverText(info), "1.3.0.0  (3/5/2008)");
  info.driverDate = {2008, 0, 0, 0, 0, 0, 0, 0};  // a year alone is no date
  EXPECT_EQ(AdapterDriverText(info), "1.3.0.0");
  info.driverDate = {0, 0, 0, 9, 0, 0, 0, 0};
  EXPECT_EQ(AdapterDriverText(info), "1.3.0.0  (0/9/0)");
}

class AboutPageTest : public UtilityTest {
 protected:
  CVantrelAboutPage& AboutPage() {
    return *dynamic_cast<CVantrelAboutPage*>(Page(core::kPageAbout));
  }
  QString Text(int id) { return ControlText(&AboutPage(), id); }
  bool Shown(int id) { return !core::FindControl(&AboutPage(), id)->isHidden(); }
  // "0.1.0.0 (6-21-2008)" for a file of the program folder, from the build and the file itself.
  static QString FileLine(const std::string& name) {
    const auto written =
        platform::Current().Files().LastWriteLocalTime(core::State().programDir + name);
    EXPECT_TRUE(written.has_value()) << name;
    if (!written) return {};
    return QString("%1.0 (%2-%3-%4)")
        .arg(RADIODESK_VERSION)
        .arg(written->month)
        .arg(written->day)
        .arg(written->year);
  }
  // The driver line as vtrctl driver reports the driver.
  QString VtrctlDriverLine() {
    const auto driver = RunVtrctlJson({"driver"});
    const std::string date = driver.value("driverDate", "");
    QString line = QString::fromStdString(driver.value("driverVersion", ""));
    if (!date.empty()) {
      const QDate day = QDate::fromString(QString::fromStdString(date), Qt::ISODate);
      line += QString("  (%1/%2/%3)").arg(day.month()).arg(day.day()).arg(day.year());
    }
    return line;
  }
};

TEST_F(AboutPageTest, ShowsTheAdapterAsVtrctlDriverDoesAndTheFilesOwnVersions) {
  UrlCatcher catcher;
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  StartAndSettle();
  ShowPage(core::kPageAbout);
  const auto driver = RunVtrctlJson({"driver"});
  EXPECT_EQ(Text(kAboutFirmwareField).toStdString(), driver["firmwareVersion"].get<std::string>());
  EXPECT_EQ(Text(kAboutMacField).toStdString(), driver["macAddress"].get<std::string>());
  EXPECT_EQ(Text(kAboutDriverField), VtrctlDriverLine());
  EXPECT_EQ(Text(kAboutDriverField), IsVista() ? "2.1.2.0  (8/14/2008)" : "1.3.0.0  (6/21/2008)");
  EXPECT_EQ(Text(kAboutLibraryField), FileLine(core::kVtrLibraryFileName));
  EXPECT_EQ(Text(kAboutUtilityField), FileLine(kUtilityFileName));
  // The regional domain line is filled but never shown; no country setting means code 3.
  EXPECT_EQ(Text(kAboutRegionField), "Channel 1 - 13");
  EXPECT_FALSE(Shown(kAboutRegionField));
  EXPECT_FALSE(Shown(kAboutRegionLabel));
  EXPECT_TRUE(Shown(kAboutFirmwareField));
  // Texts with the maker's name put in.
  EXPECT_EQ(Text(kAboutLibraryLabel), "Vantrel DLL Version :");
  EXPECT_EQ(Text(kAboutUtilityGroup), "Utility Information");
  EXPECT_EQ(Text(kAboutLink), "Visit Vantrel Website");
  EXPECT_EQ(AboutPage().Caption(), "About                         ");

  // The link opens the address of res/CorpInfo.ini with the desktop.
  controls::HyperlinkLabel& link = AboutPage().Link();
  EXPECT_TRUE(Shown(kAboutLink));
  EXPECT_EQ(link.Url(), "https://www.vantrel.example/");
  EXPECT_TRUE(link.Open());
  ASSERT_EQ(catcher.Opened().size(), 1);
  EXPECT_EQ(catcher.Opened()[0], QUrl("https://www.vantrel.example/"));
}

TEST_F(AboutPageTest, ADriverOtherThanThePresetsShowsAsTheMachineHasIt) {
  UseDescription([](nlohmann::json& description) {
    nlohmann::json& adapter = WirelessAdapter(description);
    adapter["mac"] = "00-0C-43-AA-BB-CC";
    adapter["driver"]["version"] = "4.2.17.0";
    adapter["driver"]["date"] = "3-5-2008";
    adapter["radio"]["firmwareVersion"] = "7.9";
  });
  SetSetting("CountryDomain", "canada");
  StartAndSettle();
  ShowPage(core::kPageAbout);
  EXPECT_EQ(Text(kAboutDriverField), "4.2.17.0  (3/5/2008)");
  EXPECT_EQ(Text(kAboutDriverField), VtrctlDriverLine());
  const auto driver = RunVtrctlJson({"driver"});
  EXPECT_EQ(Text(kAboutFirmwareField).toStdString(), driver["firmwareVersion"].get<std::string>());
  EXPECT_NE(Text(kAboutFirmwareField), IsVista() ? "2.1" : "1.5");
  EXPECT_EQ(Text(kAboutMacField).toStdString(), driver["macAddress"].get<std::string>());
  EXPECT_TRUE(Text(kAboutMacField).contains("AA", Qt::CaseInsensitive));
  // Canada is an American domain: channels 1 to 11.
  EXPECT_EQ(core::State().regionalDomainCode.load(), 1);
  EXPECT_EQ(Text(kAboutRegionField), "Channel 1 - 11");
}

TEST_F(AboutPageTest, WithoutTheAdapterOnlyTheVersionLinesAreFilled) {
  SetAdapterPresent(false);
  ASSERT_TRUE(Start());
  RunFor(2 * core::kPollPeriodMs);
  ASSERT_FALSE(Sheet().CardPresent());
  ShowPage(core::kPageAbout);
  for (const int id : {kAboutRegionField, kAboutFirmwareField, kAboutDriverField, kAboutMacField}) {
    EXPECT_EQ(Text(id), "") << id;
  }
  EXPECT_EQ(Text(kAboutLibraryField), FileLine(core::kVtrLibraryFileName));
  EXPECT_EQ(Text(kAboutUtilityField), FileLine(kUtilityFileName));
}

// Sets a file's last write to a moment in seconds since 1970, UTC.
void SetLastWrite(const fs::path& file, time_t utc) {
  const struct timespec times[2] = {{utc, 0}, {utc, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(AboutPageTest, TheFilesOfAnotherProgramFolder) {
  // A folder with the branding and language files, a library file carrying version 2.0.1.7
  // written on 7 January 2008, no program file, and no address to visit.
  const fs::path folder = testing_support::MakeTempDirectory() / "program";
  fs::create_directories(folder / "res");
  fs::copy(ProgramFolder() / "Lang", folder / "Lang", fs::copy_options::recursive);
  fs::copy_file(ProgramFolder() / "Product.ini", folder / "Product.ini");
  std::ofstream(folder / "res/CorpInfo.ini") << "[COMMON]\nURL=\n\n[US]\nCorp=Vantrel\n";
  const auto block = platform::BuildVersionInfoBlock({2u << 16 | 0, 1u << 16 | 7});
  {
    std::ofstream library(folder / core::kVtrLibraryFileName, std::ios::binary);
    library << std::string(300, '\x7f');
    library.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size()));
  }
  SetLastWrite(folder / core::kVtrLibraryFileName, 1199700000);  // 2008-01-07 10:00 UTC
  programDir_ = folder.string();
  StartAndSettle();
  ShowPage(core::kPageAbout);
  EXPECT_EQ(Text(kAboutLibraryField), "2.0.1.7 (1-7-2008)");
  EXPECT_EQ(Text(kAboutUtilityField), " ()");
  EXPECT_FALSE(Shown(kAboutLink));
  // Without res/Logo.bmp the logo's place stays, empty.
  EXPECT_FALSE(AboutPage().Logo().HasImage());
  EXPECT_EQ(AboutPage().Logo().size(), QSize(460, 100));
}

TEST_F(AboutPageTest, TheLogoRipplesWhileThePageIsShown) {
  StartAndSettle();
  ShowPage(core::kPageAbout);
  controls::RippleImage& logo = AboutPage().Logo();
  ASSERT_TRUE(logo.HasImage());
  EXPECT_EQ(logo.size(), QSize(460, 100));
  EXPECT_TRUE(AboutPage().Rippling());
  const QImage still = logo.Frame();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 40), logo.mapToGlobal(QPointF(100, 40)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&logo, &press);
  RunFor(3 * CVantrelAboutPage::kRippleStepMs);
  EXPECT_NE(logo.Frame(), still);
  // The page's timer moves the water until it is calm again.
  ASSERT_TRUE(RunUntil([&] { return logo.Calm(); }, 20000));
  EXPECT_EQ(logo.Frame(), still);
  ShowPage(core::kPageNetworkStatus);
  EXPECT_FALSE(AboutPage().Rippling());
}

}  // namespace
}  // namespace app_testing

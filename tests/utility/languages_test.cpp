// Every page in each of the five languages: the language the "Language" setting names is the one
// shown, every label and button shows its whole text, and the pictures are saved under
// RADIODESK_SCREENSHOT_DIR (tools/screenshots.sh) for the README.
#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "app/core/control_ids.h"
#include "app/core/sheet_page.h"
#include "utility/language_catalogue.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

struct Language {
  const char* setting;  // the registry value "Language"
  const char* file;     // its file in Lang/
  const char* tag;      // in the screenshots' names
};

constexpr Language kLanguages[] = {
    {"English", "United_States.lng", "en"},
    {"German", "German.lng", "de"},
    {"Japanese", "Japanese.lng", "ja"},
    {"Chinese (Traditional)", "Chinese_Traditional.lng", "zh_TW"},
    {"Chinese (Simplified)", "Chinese_Simplified.lng", "zh_CN"},
};

// The text a one-line label or a button shows, fits inside it.
void ExpectWholeText(QWidget* control, const std::string& where) {
  QString text;
  int room = control->width();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    text = button->text().remove('&');
    // A check box or radio button spends part of its width on its box.
    if (!qobject_cast<QPushButton*>(control)) room -= button->iconSize().width() + 8;
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    if (label->wordWrap() || label->textFormat() == Qt::RichText || !label->pixmap().isNull()) {
      return;
    }
    text = label->text().remove('&');
  }
  if (text.isEmpty() || text.contains('\n')) return;
  const int needed = QFontMetrics(control->font()).horizontalAdvance(text);
  EXPECT_LE(needed, room) << where << ": \"" << text.toStdString() << "\" is cut";
}

class LanguagesTest : public UtilityTest, public testing::WithParamInterface<Language> {};

TEST_P(LanguagesTest, EveryPageShowsTheChosenLanguageWhole) {
  const Language& language = GetParam();
  const LangFile file = ReadLangFile(ProgramFolder() / "Lang" / language.file);
  ASSERT_FALSE(file.texts.empty()) << language.file;
  SetSetting("Language", language.setting);
  StartAndSettle();
  Sheet().show();
  QTabWidget* tabs = Sheet().Tabs();
  ASSERT_NE(tabs, nullptr);
  ASSERT_GT(tabs->count(), 0);
  // The Close button is the sheet's own text in this language.
  EXPECT_EQ(core::FindControl(&Sheet(), core::kCommandClose)->property("text").toString(),
            QString::fromStdString(file.texts.at({"PROPERTY_SHEET", "10000"})));
  for (int index = 0; index < tabs->count(); ++index) {
    Sheet().ActivatePage(index);
    RunFor(300);
    auto* page = dynamic_cast<core::SheetPage*>(tabs->widget(index));
    ASSERT_NE(page, nullptr);
    const std::string where = std::string(language.tag) + " " + page->Caption().toStdString();
    // The tab shows the page's caption from this language's file.
    EXPECT_TRUE(std::any_of(file.texts.begin(), file.texts.end(),
                            [&](const auto& entry) {
                              return entry.first.second == "10000" &&
                                     QString::fromStdString(entry.second).trimmed() ==
                                         tabs->tabText(index).trimmed();
                            }))
        << where << ": the tab's caption is not this language's";
    for (QWidget* control : page->findChildren<QWidget*>()) {
      if (control->isVisibleTo(page)) ExpectWholeText(control, where);
    }
    Render(Sheet(), std::string(language.tag) + "-" + BuildUnderTest() + "-page" +
                        std::to_string(index + 1));
  }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguagesTest, testing::ValuesIn(kLanguages),
                         [](const testing::TestParamInfo<Language>& param) {
                           return std::string(param.param.tag);
                         });

}  // namespace
}  // namespace app_testing

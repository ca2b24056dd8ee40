#include "app/pages/page_set.h"

#include "app/core/app_state.h"
#include "app/pages/about_page.h"
#include "app/pages/network_status_page.h"
#include "app/pages/profile_manager_page.h"
#include "app/pages/site_survey_page.h"
#include "app/pages/validate_notice.h"

namespace pages {

core::PageFactories AllPages(const core::CVtrLibrary& lib) {
  core::PageFactories factories;
  factories.siteSurvey = [&lib](core::CVantrelPropertySheet& sheet) -> core::SheetPage* {
    return new CVantrelSiteSurveyPage(sheet, lib);
  };
  factories.profileManager = [&lib](core::CVantrelPropertySheet& sheet) -> core::SheetPage* {
    return new CVantrelProfileManagerPage(sheet, lib);
  };
  factories.networkStatus = [&lib](core::CVantrelPropertySheet& sheet) -> core::SheetPage* {
    return new CVantrelNetworkStatusPage(sheet, lib);
  };
  factories.about = [&lib](core::CVantrelPropertySheet& sheet) -> core::SheetPage* {
    return new CVantrelAboutPage(sheet, lib);
  };
  factories.validateNotice = [](QWidget* parent) -> QWidget* {
    return CValidateNotice::ShowNotice(parent, core::State().osVersionCode);
  };
  return factories;
}

}  // namespace pages

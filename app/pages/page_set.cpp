#include "app/pages/page_set.h"

#include "app/pages/about_page.h"
#include "app/pages/network_status_page.h"
#include "app/pages/profile_manager_page.h"
#include "app/pages/site_survey_page.h"

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
  return factories;
}

}  // namespace pages

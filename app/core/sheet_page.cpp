#include "app/core/sheet_page.h"

namespace core {

SheetPage::SheetPage(CVantrelPropertySheet& sheet, int32_t activePage, QString caption)
    : sheet_(sheet), activePage_(activePage), caption_(std::move(caption)) {}

}  // namespace core

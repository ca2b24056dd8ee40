// Every control a user can reach with the keyboard tells assistive technology what it is: a name
// from its own text, from the label it is the buddy of, or set for it.
#include <QAccessible>
#include <QComboBox>
#include <QTabWidget>

#include "app/core/sheet_page.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

class AccessibilityTest : public UtilityTest {};

// The focusable controls of root that show and have no accessible name.
std::vector<std::string> Unnamed(QWidget* root) {
  std::vector<std::string> unnamed;
  for (QWidget* control : root->findChildren<QWidget*>()) {
    if (!control->isVisibleTo(root) || !(control->focusPolicy() & Qt::TabFocus)) continue;
    // An editable box's line is part of the box, which carries the name.
    if (qobject_cast<QComboBox*>(control->parentWidget()) != nullptr) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    if (accessible != nullptr && !accessible->text(QAccessible::Name).trimmed().isEmpty()) continue;
    unnamed.push_back(std::string(control->metaObject()->className()) + " " +
                      control->objectName().toStdString() + " controlId " +
                      control->property("controlId").toString().toStdString());
  }
  return unnamed;
}

TEST_F(AccessibilityTest, EveryControlOfEveryPageHasAName) {
  StartAndSettle();
  Sheet().show();
  QTabWidget* tabs = Sheet().Tabs();
  for (int index = 0; index < tabs->count(); ++index) {
    Sheet().ActivatePage(index);
    RunFor(300);
    for (const std::string& control : Unnamed(tabs->widget(index))) {
      ADD_FAILURE() << tabs->tabText(index).trimmed().toStdString() << ": " << control;
    }
  }
  for (const std::string& control : Unnamed(&Sheet())) ADD_FAILURE() << "sheet: " << control;
}

}  // namespace
}  // namespace app_testing

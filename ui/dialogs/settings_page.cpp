#include "ui/dialogs/settings_page.h"

namespace brambel {

// Out of line: the page's virtual table and meta-object live here.
SettingsPage::~SettingsPage() = default;

}  // namespace brambel

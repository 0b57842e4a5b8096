#pragma once

namespace navoket::driver {

// Closes and releases the driver's main window before the application object
// goes away.
void endUiSession();

}  // namespace navoket::driver

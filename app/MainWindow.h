#pragma once

#include "platform/Bytes.h"
#include "platform/ui/Form.h"

namespace navoket {

// The main window "船期变动检测": the vessel name box with the manual check,
// the clock, the location label and the buttons that open the other windows.
class MainWindow {
public:
    MainWindow();

    Form& form() { return m_form; }

    // Creates the window: its creation handler runs (first-run setup and the
    // settings window included), then the window is shown.
    void open() { m_form.open(); }

private:
    void created();
    void clockTick();

    Form m_form;
};

// The public address shown in the location label; empty when unknown.
Text locationAddress();

}  // namespace navoket

#pragma once

#include "platform/ui/Form.h"

namespace navoket {

// The settings window "配置": five boxes that always start empty, "写入配置"
// stores them, "测试连接" tries the mail account with them and closes the
// window. It never reads the settings file.
class SettingsWindow {
public:
    SettingsWindow();

    Form& form() { return m_form; }

    // Loads the window as a modal dialog; returns when it has been closed.
    void loadModal() { m_form.loadModal(); }

private:
    void save();
    void testConnection();

    Form m_form;
};

// What the "配置" button and a first run do.
void openSettingsWindow();

}  // namespace navoket

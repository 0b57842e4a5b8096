#pragma once

#include <string_view>
#include <vector>

namespace navoket {

enum class ControlKind { label, editBox, passwordBox, button, timer, browser };

// One control as a window form lays it out. Names and texts are written in
// UTF-8 in the source and become code-page-936 texts when the form is built.
struct ControlDesign {
    std::string_view name;
    ControlKind kind = ControlKind::label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string_view text;  // caption of labels and buttons, content of edit boxes
    int timerPeriod = 0;    // timers only: milliseconds, 0 = not running
};

struct FormDesign {
    std::string_view windowName;  // how the driver names the window: "main", "settings", …
    std::string_view caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<ControlDesign> controls;
};

}  // namespace navoket

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/Bytes.h"
#include "platform/ui/FormDesign.h"

class QDialog;
class QWidget;

namespace navoket {

// A window built from its form: every control at its designed place and size,
// each widget's object name equal to its control name. The program addresses
// window and controls by name, with code-page-936 texts, as the window
// runtime does; handlers run on the window thread, each to its end.
class Form {
public:
    explicit Form(const FormDesign& design);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const Text& windowName() const { return m_windowName; }
    bool isModal() const { return m_modal; }
    bool isOpen() const { return m_open; }
    // False when closed, or while a modal window opened after this one is open:
    // the window then takes no input, its close box included.
    bool takesInput() const;

    // Events. A handler given again replaces the earlier one.
    void onCreated(std::function<void()> handler);
    void onClicked(const Text& control, std::function<void()> handler);
    void onTimer(const Text& control, std::function<void()> handler);
    void onNavigate(const Text& control, std::function<void(const Text& address)> handler);
    void onClosed(std::function<void()> handler);

    // Runs the creation handler, then shows the window and returns.
    void open();
    // Loads the window as a modal dialog without owner: runs the creation
    // handler, then returns only when the window has been closed.
    void loadModal();
    // Closes (destroys) the window at once, as its close box does; its
    // timers stop.
    void close();

    // The window's own properties.
    Text caption() const;
    void setCaption(const Text& caption);
    int height() const;
    void setHeight(int height);

    // Control properties by control name. A name the form lacks, or a
    // property its kind lacks, reads as empty, 0 or false and ignores writes.
    std::optional<ControlKind> controlKind(const Text& control) const;
    Text controlCaption(const Text& control) const;  // labels and buttons
    void setControlCaption(const Text& control, const Text& caption);
    Text controlText(const Text& control) const;  // edit boxes
    void setControlText(const Text& control, const Text& text);
    unsigned controlColour(const Text& control) const;  // 0x00BBGGRR
    void setControlColour(const Text& control, unsigned colour);
    bool controlVisible(const Text& control) const;
    void setControlVisible(const Text& control, bool visible);
    bool controlEnabled(const Text& control) const;
    void setControlEnabled(const Text& control, bool enabled);
    int controlHeight(const Text& control) const;
    // Milliseconds; 0 or less stops the timer, the period it already has
    // changes nothing, any other value (re)starts it with that period.
    int timerPeriod(const Text& control) const;
    void setTimerPeriod(const Text& control, int period);
    Text browserAddress(const Text& control) const;
    void setBrowserAddress(const Text& control, const Text& address);

    // Input as a user gives it; false when the control cannot take it (not
    // there, of another kind, hidden or disabled). click returns when the
    // click handler has returned.
    bool click(const Text& control);
    bool typeText(const Text& control, const Text& text);

    QWidget* window() const;
    QWidget* controlWidget(const Text& control) const;

private:
    struct Control;
    Control* find(const Text& control);
    const Control* find(const Text& control) const;
    void buildControl(const ControlDesign& design);
    void begin();
    void finish();

    Text m_windowName;
    bool m_modal = false;
    bool m_open = false;
    bool m_closed = false;
    std::unique_ptr<QDialog> m_dialog;
    std::map<Text, std::unique_ptr<Control>> m_controls;
    std::function<void()> m_onCreated;
    std::function<void()> m_onClosed;
};

}  // namespace navoket

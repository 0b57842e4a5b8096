// Calls on the program's windows, by window name and control name.

#include <algorithm>
#include <memory>

#include <QEventLoop>
#include <QTimer>

#include "app/MainWindow.h"
#include "platform/ui/Form.h"
#include "platform/ui/WindowRegistry.h"
#include "tools/driver/CallTable.h"
#include "tools/driver/RecordedBoxes.h"
#include "tools/driver/UiSession.h"

namespace navoket::driver {
namespace {

struct UiSession {
    std::unique_ptr<MainWindow> mainWindow;
    bool starting = false;
    std::size_t boxesReported = 0;
};

UiSession& session() {
    static UiSession state;
    return state;
}

// Which kinds of control have which property.
bool controlHas(ControlKind kind, const std::string& prop) {
    const bool editBox = kind == ControlKind::editBox || kind == ControlKind::passwordBox;
    if (prop == "caption") {
        return kind == ControlKind::label || kind == ControlKind::button;
    }
    if (prop == "text") {
        return editBox;
    }
    if (prop == "colour") {
        return kind == ControlKind::label || kind == ControlKind::button || editBox;
    }
    if (prop == "visible" || prop == "enabled" || prop == "height") {
        return kind != ControlKind::timer;
    }
    if (prop == "period") {
        return kind == ControlKind::timer;
    }
    if (prop == "address") {
        return kind == ControlKind::browser;
    }
    return false;
}

Json controlProperty(const Form& form, const Text& control, const std::string& prop) {
    if (prop == "caption") {
        return form.controlCaption(control);
    }
    if (prop == "text") {
        return form.controlText(control);
    }
    if (prop == "colour") {
        return form.controlColour(control);
    }
    if (prop == "visible") {
        return form.controlVisible(control);
    }
    if (prop == "enabled") {
        return form.controlEnabled(control);
    }
    if (prop == "height") {
        return form.controlHeight(control);
    }
    if (prop == "period") {
        return form.timerPeriod(control);
    }
    return form.browserAddress(control);
}

// The open window, or an error reply naming what is missing.
Form* windowArg(const CallArgs& args, CallReply& reply) {
    Form* form = findOpenForm(args.text("window"));
    if (form == nullptr) {
        reply.fail("no open window: " + args.text("window"));
    }
    return form;
}

std::optional<ControlKind> controlArg(const Form& form, const CallArgs& args, CallReply& reply) {
    const auto kind = form.controlKind(args.text("control"));
    if (!kind) {
        reply.fail("no control " + args.text("control") + " in window " + args.text("window"));
    }
    return kind;
}

void startMainWindow(const CallArgs&, CallReply& reply) {
    UiSession& state = session();
    if (state.starting) {
        reply.fail("the start-up sequence is still running");
        return;
    }
    state.starting = true;
    if (state.mainWindow) {
        state.mainWindow->form().close();
    }
    state.mainWindow = std::make_unique<MainWindow>();
    state.mainWindow->open();
    // The sequence includes the location lookup, which runs beside the window
    // thread: the reply comes when "标签4" has its final text.
    state.mainWindow->waitForLocation();
    state.starting = false;
    reply.result = true;
}

void listWindows(const CallArgs&, CallReply& reply) {
    reply.result = Json::array();
    for (const Form* form : openForms()) {
        reply.result.push_back(form->windowName());
    }
}

void getProperty(const CallArgs& args, CallReply& reply) {
    const Form* form = windowArg(args, reply);
    if (form == nullptr) {
        return;
    }
    const std::string prop = args.text("prop");
    if (!args.has("control")) {
        if (prop == "caption") {
            reply.result = form->caption();
        } else if (prop == "height") {
            reply.result = form->height();
        } else {
            reply.fail("a window has no property " + prop);
        }
        return;
    }
    const auto kind = controlArg(*form, args, reply);
    if (!kind) {
        return;
    }
    if (!controlHas(*kind, prop)) {
        reply.fail("control " + args.text("control") + " has no property " + prop);
        return;
    }
    reply.result = controlProperty(*form, args.text("control"), prop);
}

void setEditText(const CallArgs& args, CallReply& reply) {
    Form* form = windowArg(args, reply);
    if (form == nullptr) {
        return;
    }
    const auto kind = controlArg(*form, args, reply);
    if (!kind) {
        return;
    }
    if (!controlHas(*kind, "text")) {
        reply.fail("control " + args.text("control") + " is no edit box");
        return;
    }
    if (!form->typeText(args.text("control"), args.text("text"))) {
        reply.fail("control " + args.text("control") + " takes no input now");
    }
}

// False when the button cannot be clicked (hidden, disabled, or its window
// under a modal one); otherwise true once the click handler has returned.
void clickButton(const CallArgs& args, CallReply& reply) {
    Form* form = windowArg(args, reply);
    if (form == nullptr || !controlArg(*form, args, reply)) {
        return;
    }
    reply.result = form->click(args.text("control"));
}

// False, and the window stays, when a modal window above it takes the input.
void closeWindow(const CallArgs& args, CallReply& reply) {
    Form* form = windowArg(args, reply);
    if (form == nullptr) {
        return;
    }
    if (!form->takesInput()) {
        reply.result = false;
        return;
    }
    form->close();
    reply.result = true;
}

void waitMilliseconds(const CallArgs& args, CallReply& reply) {
    QEventLoop loop;
    QTimer::singleShot(std::max(args.integer32("ms"), 0), &loop, &QEventLoop::quit);
    loop.exec();
    reply.result = true;
}

void reportBoxes(const CallArgs&, CallReply& reply) {
    UiSession& state = session();
    reply.result = recordedBoxesSince(state.boxesReported);
    state.boxesReported = recordedBoxCount();
}

const CallRegistrar uiCalls{
    {"ui.start", {rootArg()}, startMainWindow},
    {"ui.windows", {}, listWindows},
    {"ui.get",
     {required("window", ArgType::text), optional("control", ArgType::text),
      required("prop", ArgType::text)},
     getProperty},
    {"ui.set",
     {required("window", ArgType::text), required("control", ArgType::text),
      required("text", ArgType::text)},
     setEditText},
    {"ui.click",
     {required("window", ArgType::text), required("control", ArgType::text)},
     clickButton},
    {"ui.close", {required("window", ArgType::text)}, closeWindow},
    {"ui.wait", {required("ms", ArgType::integer)}, waitMilliseconds},
    {"ui.boxes", {}, reportBoxes},
};

}  // namespace

void endUiSession() {
    session().mainWindow.reset();
}

}  // namespace navoket::driver

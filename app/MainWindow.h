#pragma once

#include <memory>

#include "platform/Bytes.h"
#include "platform/ui/Form.h"

class QEventLoop;
class QObject;

namespace navoket {

// The main window "船期变动检测": the vessel name box with the manual check,
// the clock, the location label and the buttons that open the other windows.
class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    Form& form() { return m_form; }

    // Creates the window: its creation handler runs (first-run setup and the
    // settings window included), then the window is shown.
    void open() { m_form.open(); }

    // The location label's lookup runs beside the window thread, so that an
    // unreachable service cannot hold the window up. waitForLocation lets
    // events through until its result is shown (at once when none is due).
    bool locationPending() const { return m_locationPending; }
    void waitForLocation();

private:
    struct LocationDelivery;

    void created();
    void clockTick();
    void startLocationLookup();
    void showLocation(const Text& address);

    Form m_form;
    bool m_locationPending = false;
    QEventLoop* m_locationWait = nullptr;
    // Results are posted to m_locationReceiver, on the window thread; the
    // delivery outlives the window when a lookup is still running.
    std::unique_ptr<QObject> m_locationReceiver;
    std::shared_ptr<LocationDelivery> m_locationDelivery;
};

}  // namespace navoket

#pragma once

#include "platform/ui/Form.h"

namespace navoket {

// The patrol window "自动巡查": checks the vessel named in its name box on a
// timer against the stored baseline, mails a change notice at the first
// difference and stops itself. Its state is the timer's period together with
// the enabled states of "stop" and "开始自动巡查".
class PatrolWindow {
public:
    PatrolWindow();

    Form& form() { return m_form; }

    // Loads the window as a modal dialog; returns when it has been closed,
    // which ends any patrol.
    void loadModal() { m_form.loadModal(); }

    // One check: what the timer runs at each tick.
    void patrolTick();

private:
    void created();
    void start();
    void stop();
    void sendTestMail();
    void showRunning(bool running);
    void setStatus(const Text& text, unsigned colour);

    Form m_form;
};

// What the main window's "自动巡查" button does.
void openPatrolWindow();

}  // namespace navoket

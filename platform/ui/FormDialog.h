#pragma once

#include <QDialog>

class QKeyEvent;

namespace navoket {

// The top-level widget of a form. A window of the runtime closes only by its
// close box or by the program, so Escape does not close it as it would close
// a plain dialog (for the main window that would end the program).
class FormDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace navoket

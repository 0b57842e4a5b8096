#include "platform/ui/FormDialog.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace navoket {

void FormDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace navoket

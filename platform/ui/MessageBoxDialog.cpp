#include "platform/ui/MessageBoxDialog.h"

#include <QMessageBox>

#include "platform/MessageBox.h"
#include "platform/ui/UiText.h"

namespace navoket {
namespace {

// The icon is the MB_ICONMASK field (0xF0) of the flags.
QMessageBox::Icon iconOf(unsigned flags) {
    switch (flags & 0xF0U) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case messageBoxIconExclamation:
            return QMessageBox::Warning;
        case messageBoxIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

void showMessageBoxDialog(const Text& text, const Text& title, unsigned flags) {
    QMessageBox box(iconOf(flags), toQString(title), toQString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace navoket

#include "platform/ui/WindowRuntime.h"

#include <QApplication>
#include <QFont>

#include "platform/MessageBox.h"
#include "platform/ui/MessageBoxDialog.h"

namespace navoket {

void startWindowRuntime() {
    // The forms are laid out for a 12-pixel CJK font (9 points at 96 dpi).
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    QApplication::setQuitOnLastWindowClosed(false);
    setMessageBoxPresenter(showMessageBoxDialog);
}

}  // namespace navoket

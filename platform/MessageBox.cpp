#include "platform/MessageBox.h"

#include <cstdio>
#include <utility>

namespace navoket {
namespace {

MessageBoxPresenter& presenter() {
    static MessageBoxPresenter current;
    return current;
}

}  // namespace

void setMessageBoxPresenter(MessageBoxPresenter newPresenter) {
    presenter() = std::move(newPresenter);
}

void showMessageBox(const Text& text, const Text& title, unsigned flags) {
    if ((flags & messageBoxSystemModal) == 0) {
        flags |= messageBoxTaskModal;
    }
    if (presenter()) {
        presenter()(text, title, flags);
        return;
    }
    // Without a window runtime there is nobody to ask; leave a trace instead.
    std::fprintf(stderr, "[message box] %s: %s\n", title.c_str(), text.c_str());
}

}  // namespace navoket

#pragma once

#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace navoket::test {

struct ShownBox {
    Text text;
    Text title;
    unsigned flags;
    bool operator==(const ShownBox&) const = default;
};

// Answers every message box at once and keeps what it showed, while it lives.
class BoxRecorder {
public:
    BoxRecorder() {
        setMessageBoxPresenter([this](const Text& text, const Text& title, unsigned flags) {
            m_boxes.push_back(ShownBox{text, title, flags});
        });
    }
    ~BoxRecorder() { setMessageBoxPresenter(nullptr); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    const std::vector<ShownBox>& boxes() const { return m_boxes; }

private:
    std::vector<ShownBox> m_boxes;
};

}  // namespace navoket::test

#include "tools/driver/RecordedBoxes.h"

#include <vector>

#include "platform/MessageBox.h"

namespace navoket::driver {
namespace {

std::vector<Json>& boxes() {
    static std::vector<Json> recorded;
    return recorded;
}

}  // namespace

void startRecordingBoxes() {
    setMessageBoxPresenter([](const Text& text, const Text& title, unsigned flags) {
        boxes().push_back(Json{{"text", text}, {"title", title}, {"flags", flags}});
    });
}

std::size_t recordedBoxCount() {
    return boxes().size();
}

Json recordedBoxesSince(std::size_t mark) {
    Json list = Json::array();
    for (std::size_t i = mark; i < boxes().size(); ++i) {
        list.push_back(boxes()[i]);
    }
    return list;
}

}  // namespace navoket::driver

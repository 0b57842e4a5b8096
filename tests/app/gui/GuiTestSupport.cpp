#include "tests/app/gui/GuiTestSupport.h"

#include <fstream>
#include <iterator>

#include "app/settings/Settings.h"
#include "platform/DriveC.h"
#include "platform/MessageBox.h"
#include "text/CodePageText.h"

namespace navoket::test {

GuiFixture::GuiFixture() {
    setDriveRoot(m_folder.path().toStdString());
    setMessageBoxPresenter([this](const Text& text, const Text& title, unsigned flags) {
        m_boxes.push_back({text, title, flags});
    });
}

GuiFixture::~GuiFixture() {
    setMessageBoxPresenter({});
    setDriveRoot({});
}

void GuiFixture::prepareEarlierRun(const Text& vesselName) {
    firstRunSetup();
    writeSetting("Ship", "Name", vesselName);
    keepLookupOnLoopback();
}

void GuiFixture::keepLookupOnLoopback() {
    writeSetting("Endpoints", "lookup0", refusedLookupHost);
}

Text GuiFixture::settingsFileContent() const {
    std::ifstream file(hostPath(settingsFilePath), std::ios::binary);
    return Text(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Text cp(const char* utf8) {
    return ansiText(utf8);
}

QString shown(const Text& text) {
    return QString::fromStdString(ansiToUtf8(text));
}

}  // namespace navoket::test

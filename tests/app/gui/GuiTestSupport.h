#pragma once

#include <vector>

#include <QString>
#include <QTemporaryDir>

#include "platform/Bytes.h"

namespace navoket::test {

struct ShownBox {
    Text text;
    Text title;
    unsigned flags = 0;
};

// A fresh drive folder and a message-box recorder for one test function; the
// drive root and the presenter go back to the defaults afterwards.
class GuiFixture {
public:
    GuiFixture();
    ~GuiFixture();
    GuiFixture(const GuiFixture&) = delete;
    GuiFixture& operator=(const GuiFixture&) = delete;

    const std::vector<ShownBox>& boxes() const { return m_boxes; }
    // Marker and settings as after an earlier run, with the given "Name".
    void prepareEarlierRun(const Text& vesselName);
    // The main window's address lookup goes to a loopback port that refuses,
    // never to the internet (needs the settings folder; prepareEarlierRun
    // does this itself).
    void keepLookupOnLoopback();
    static constexpr const char* refusedLookupHost = "127.0.0.1:1";
    Text settingsFileContent() const;

private:
    QTemporaryDir m_folder;
    std::vector<ShownBox> m_boxes;
};

// A program text (code page 936) from a UTF-8 literal, and back for messages.
Text cp(const char* utf8);
QString shown(const Text& text);

}  // namespace navoket::test

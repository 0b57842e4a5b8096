#pragma once

// In the driver every message box is recorded and answered with OK at once.
// A call that reports the boxes of its own run takes a mark before the
// operation and lists the boxes since that mark.

#include <cstddef>

#include "tools/driver/CallTable.h"

namespace navoket::driver {

// Installs the recorder as the program's message-box presenter.
void startRecordingBoxes();

std::size_t recordedBoxCount();

// The boxes recorded from mark on, oldest first, each
// {"text": bytes, "title": bytes, "flags": integer}.
Json recordedBoxesSince(std::size_t mark);

}  // namespace navoket::driver

#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The program-wide texts: set by the main window's creation handler (or by the
// driver before it calls an operation that needs them), released at exit.
struct ProgramTexts {
    Text dataPageUrl;
    Text programVersion;
    Text lastVesselBlock;
    Text lastVesselDigest;
    Text checkPostText;
    Text checkBlock;
    Text checkDigest;
};

ProgramTexts& programTexts();

// Sets dataPageUrl (schedule host from the endpoints) and programVersion "0.2".
void setFixedProgramTexts();

}  // namespace navoket

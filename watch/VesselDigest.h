#pragma once

#include "platform/Bytes.h"

namespace navoket {

// One fetch of a vessel's schedule block. A fetch without a block (no reply,
// or a reply without the markers) is a failure, never a digest.
struct VesselFetch {
    bool hasBlock = false;
    Text block;       // code page 936
    Text digest;      // 32 lower-case hex digits when hasBlock
    long status = 0;  // final HTTP status, 0 without a reply
    Text failure;     // why there is no block
};

VesselFetch fetchVesselDigest(const Text& vesselName);

}  // namespace navoket

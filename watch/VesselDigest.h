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

    // A status from here on is an error page (RFC 9110 sections 15.5 and
    // 15.6). One built from the site's template may still carry the markers,
    // but its block says nothing about the schedule.
    bool fromErrorPage() const { return status >= 400; }
};

VesselFetch fetchVesselDigest(const Text& vesselName);

// Why a fetch from an error page is of no use, for the user: names its status.
Text errorPageReason(long status);

}  // namespace navoket

#pragma once

#include "platform/Bytes.h"

namespace navoket {

// What a manual check told the user.
enum class CheckOutcome {
    changed,  // the digest differs from the stored baseline
    same,     // the digest equals the stored baseline
    failed,   // no block was fetched: neither change nor sameness is claimed
};

// "确认": fetches the digest for the name exactly as typed, keeps post text,
// block and digest in checkPostText/checkBlock/checkDigest, compares the digest
// with "Ship"/"Data" byte for byte and says the verdict in a message box.
// Never writes the settings file.
CheckOutcome checkVessel(const Text& vesselName);

// What a baseline refresh did to "Ship"/"Data".
enum class RefreshOutcome {
    stored,            // the new digest replaced the baseline (no message box)
    failed,            // no block, or the settings file refused the write;
                       // baseline untouched, user told
    refusedErrorPage,  // the block came from an error page (status >= 400);
                       // baseline untouched, user told
};

// Who asked for the refresh: the main window keeps block and digest in
// lastVesselBlock/lastVesselDigest, the patrol window keeps nothing.
enum class RefreshCaller { mainWindow, patrolWindow };

// "刷新缓存" / "刷新存储缓存": fetches the digest for the stored vessel name
// ("Ship"/"Name") and makes it the new baseline.
RefreshOutcome refreshBaseline(RefreshCaller caller);

}  // namespace navoket

// Calls on the vessel watch.

#include "app/settings/ProgramTexts.h"
#include "tools/driver/CallTable.h"
#include "watch/VesselDigest.h"

namespace navoket::driver {
namespace {

const CallRegistrar watchCalls{
    // The digest text, or the empty text for a fetch without a block; the block
    // always goes out.
    {"fetchVesselDigest",
     {rootArg(), required("name", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         // dataPageUrl follows the schedule endpoint of this root.
         setFixedProgramTexts();
         const VesselFetch fetch = fetchVesselDigest(args.text("name"));
         reply.result = fetch.digest;
         reply.out["block"] = fetch.block;
     }},
};

}  // namespace
}  // namespace navoket::driver

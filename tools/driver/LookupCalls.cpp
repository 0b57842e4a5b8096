// Calls on the public address lookup.

#include "lookup/LookupPublicAddress.h"
#include "tools/driver/CallTable.h"

namespace navoket::driver {
namespace {

const CallRegistrar lookupCalls{
    // The service's host follows the Endpoints of this root; a service left
    // out asks the default one.
    {"lookupPublicAddress",
     {rootArg(), optional("service", ArgType::integer), optional("placeText", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         Text placeText = args.text("placeText");
         reply.result = lookupPublicAddress(&placeText, args.integer32("service", 0));
         reply.output(args, "placeText", placeText);
     }},
};

}  // namespace
}  // namespace navoket::driver

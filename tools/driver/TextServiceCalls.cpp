// Calls on the text services: unescaping, UTF-16LE decoding and one regular
// expression search with everything that can be asked of it afterwards.

#include "text/DecodeUnicodeBytes.h"
#include "text/RegexMatcher.h"
#include "text/UnescapeText.h"
#include "tools/driver/CallTable.h"

namespace navoket::driver {
namespace {

Json matchList(const RegexMatcher& matcher) {
    Json matches = Json::array();
    for (int match = 1; match <= matcher.matchCount(); ++match) {
        int position = 0;
        const Text value = matcher.matchText(match, &position);
        Json submatches = Json::array();
        for (int submatch = 1; submatch <= matcher.submatchCount(); ++submatch) {
            submatches.push_back(matcher.submatchText(match, submatch));
        }
        matches.push_back(
            {{"value", value}, {"position", position}, {"submatches", std::move(submatches)}});
    }
    return matches;
}

const CallRegistrar textServiceCalls{
    {"unescapeText",
     {required("text", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = unescapeText(args.text("text"));
     }},
    {"decodeUnicodeBytes",
     {required("bytes", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = decodeUnicodeBytes(args.text("bytes"));
     }},
    {"regexSearch",
     {required("pattern", ArgType::text), required("subject", ArgType::text),
      optional("caseSensitive", ArgType::logical), optional("multiline", ArgType::logical),
      optional("global", ArgType::logical), optional("quoteMarker", ArgType::logical),
      optional("replacement", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         RegexMatcher matcher;
         reply.result =
             matcher.search(args.text("pattern"), args.text("subject"),
                            args.logical("caseSensitive", false), args.logical("multiline", true),
                            args.logical("global", true), args.logical("quoteMarker", false));
         reply.out["matchCount"] = matcher.matchCount();
         reply.out["submatchCount"] = matcher.submatchCount();
         reply.out["currentPattern"] = matcher.currentPattern();
         reply.out["matches"] = matchList(matcher);
         if (args.has("replacement")) {
             reply.out["replaced"] = matcher.replaceAll(args.text("replacement"));
         }
     }},
};

}  // namespace
}  // namespace navoket::driver

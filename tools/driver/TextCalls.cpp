// Calls on the text search, cut and code-page helpers and on text-to-integer.

#include "platform/TextToInteger.h"
#include "text/CodePageText.h"
#include "text/TextSearch.h"
#include "tools/driver/CallTable.h"

namespace navoket::driver {
namespace {

// A text ends at its first zero byte, as the program's texts do; byte buffers
// keep theirs.
Text textArg(const CallArgs& args, const std::string& name) {
    return Text(args.text(name).c_str());
}

unsigned codePageArg(const CallArgs& args, unsigned fallback) {
    return static_cast<unsigned>(args.integer("codePage", fallback));
}

// A call taking one text or byte buffer and giving one back.
CallSpec oneValueCall(std::string name, std::string argName,
                      std::function<std::string(const std::string&)> operation) {
    return {std::move(name),
            {required(argName, ArgType::text)},
            [argName, operation](const CallArgs& args, CallReply& reply) {
                reply.result = operation(args.text(argName));
            }};
}

CallSpec markerCall(std::string name, Text (*operation)(const Text&, const Text&, int, bool)) {
    return {std::move(name),
            {required("text", ArgType::text), required("marker", ArgType::text),
             optional("start", ArgType::integer), optional("ignoreCase", ArgType::logical)},
            [operation](const CallArgs& args, CallReply& reply) {
                reply.result = operation(textArg(args, "text"), textArg(args, "marker"),
                                         args.integer32("start"), args.logical("ignoreCase"));
            }};
}

const CallRegistrar textCalls{
    {"textBetween",
     {required("text", ArgType::text), required("left", ArgType::text),
      required("right", ArgType::text), optional("start", ArgType::integer),
      optional("ignoreCase", ArgType::logical)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result =
             textBetween(textArg(args, "text"), textArg(args, "left"), textArg(args, "right"),
                         args.integer32("start"), args.logical("ignoreCase"));
     }},
    markerCall("textBefore", textBefore),
    markerCall("textAfter", textAfter),
    {"bytesBetween",
     {required("bytes", ArgType::text), required("left", ArgType::text),
      required("right", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = bytesBetween(args.text("bytes"), args.text("left"), args.text("right"));
     }},
    {"codePageToUtf16",
     {required("bytes", ArgType::text), required("codePage", ArgType::integer)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = codePageToUtf16(args.text("bytes"), codePageArg(args, 0));
     }},
    {"utf16ToCodePage",
     {required("bytes", ArgType::text), required("codePage", ArgType::integer)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = utf16ToCodePage(args.text("bytes"), codePageArg(args, 0));
     }},
    {"textToUtf16",
     {required("text", ArgType::text), optional("codePage", ArgType::integer)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = textToUtf16(args.text("text"), codePageArg(args, codePageUtf8));
     }},
    {"utf16ToText",
     {required("bytes", ArgType::text), optional("codePage", ArgType::integer)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = utf16ToText(args.text("bytes"), codePageArg(args, codePageGbk));
     }},
    oneValueCall("utf16ToAnsi", "bytes", utf16ToAnsi),
    oneValueCall("utf8BytesToAnsi", "bytes", utf8BytesToAnsi),
    oneValueCall("utf8ToAnsi", "text", utf8ToAnsi),
    oneValueCall("ansiToUtf16", "text", ansiToUtf16),
    {"textToInteger",
     {required("text", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = textToInteger(args.text("text"));
     }},
};

}  // namespace
}  // namespace navoket::driver

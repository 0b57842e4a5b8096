// Calls on URL splitting, the header helpers, cookie merging and the
// WinINet-style request.

#include "tools/driver/CallTable.h"
#include "tools/driver/CallerVariables.h"
#include "web/Cookies.h"
#include "web/Headers.h"
#include "web/Url.h"
#include "web/WebRequestInet.h"

namespace navoket::driver {
namespace {

CallSpec oneTextCall(std::string name, std::string argName, Text (*operation)(const Text&)) {
    return {std::move(name),
            {required(argName, ArgType::text)},
            [argName, operation](const CallArgs& args, CallReply& reply) {
                reply.result = operation(args.text(argName));
            }};
}

// Every parameter of webRequestInet by its name; outputs start from what the
// request gave, as the caller's variables would.
void requestInet(const CallArgs& args, CallReply& reply) {
    InetRequestOptions options;
    options.method = args.integer32("method", 0);
    options.postText = args.text("postText");
    options.extraHeaders = args.text("extraHeaders");
    options.noRedirect = args.logical("noRedirect", false);
    options.proxy = args.text("proxy");
    options.autoMergeCookies = args.logical("autoMergeCookies", true);
    options.completeHeaders = args.logical("completeHeaders", true);
    options.fixHeaderCase = args.logical("fixHeaderCase", true);
    options.socksProxy = args.logical("socksProxy", false);
    CallerVariables variables(args);
    variables.bind("sendCookies", options.sendCookies);
    variables.bind("receivedCookies", options.receivedCookies);
    variables.bind("responseHeaders", options.responseHeaders);
    variables.bind("postBytes", options.postBytes);
    reply.result = webRequestInet(args.text("url"), options);
    variables.writeTo(reply);
}

const CallRegistrar webCalls{
    {"splitUrl",
     {required("url", ArgType::text), optional("keepPort", ArgType::logical)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = splitUrl(args.text("url"), args.logical("keepPort", false));
     }},
    {"urlPort",
     {required("url", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) { reply.result = urlPort(args.text("url")); }},
    oneTextCall("urlPath", "url", urlPath),
    oneTextCall("normalizeHeaders", "block", normalizeHeaders),
    oneTextCall("capitalizeFirst", "text", capitalizeFirst),
    oneTextCall("headerName", "line", headerName),
    oneTextCall("headerValue", "line", headerValue),
    {"mergeCookies",
     {required("oldSet", ArgType::text), required("newSet", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         Text oldSet = args.text("oldSet");
         Text newSet = args.text("newSet");
         reply.result = mergeCookies(oldSet, newSet);
         reply.output(args, "oldSet", oldSet);
         reply.output(args, "newSet", newSet);
     }},
    oneTextCall("cookieName", "pair", cookieName),
    {"uniquePieces",
     {required("text", ArgType::text), required("separator", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = uniquePieces(args.text("text"), args.text("separator"));
     }},
    {"webRequestInet",
     {required("url", ArgType::text), optional("method", ArgType::integer),
      optional("postText", ArgType::text), optional("sendCookies", ArgType::text),
      optional("receivedCookies", ArgType::text), optional("extraHeaders", ArgType::text),
      optional("responseHeaders", ArgType::text), optional("noRedirect", ArgType::logical),
      optional("postBytes", ArgType::text), optional("proxy", ArgType::text),
      optional("autoMergeCookies", ArgType::logical), optional("completeHeaders", ArgType::logical),
      optional("fixHeaderCase", ArgType::logical), optional("socksProxy", ArgType::logical)},
     requestInet},
};

}  // namespace
}  // namespace navoket::driver

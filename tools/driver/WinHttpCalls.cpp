// Calls on the two WinHttp-style requests and their helpers.

#include "platform/Base64.h"
#include "tools/driver/CallTable.h"
#include "tools/driver/CallerVariables.h"
#include "web/WebRequestObject.h"
#include "web/WebRequestWinHttp.h"

namespace navoket::driver {
namespace {

// Every parameter of webRequestObject but requestObject (a new object is made
// for each call); outputs start from what the request gave, as the caller's
// variables would.
void requestObject(const CallArgs& args, CallReply& reply) {
    ObjectRequestOptions options;
    options.method = args.integer32("method", 0);
    options.postText = args.text("postText");
    options.extraHeaders = args.text("extraHeaders");
    options.noRedirect = args.logical("noRedirect", false);
    options.postBytes = args.text("postBytes");
    options.proxy = args.text("proxy");
    options.timeoutSeconds = args.integer32("timeoutSeconds", 0);
    options.proxyUser = args.text("proxyUser");
    options.proxyPassword = args.text("proxyPassword");
    if (args.has("credentialTarget")) {
        options.credentialTarget = args.integer32("credentialTarget");
    }
    options.autoMergeCookies = args.logical("autoMergeCookies", true);
    options.completeHeaders = args.logical("completeHeaders", true);
    options.fixHeaderCase = args.logical("fixHeaderCase", true);
    CallerVariables variables(args);
    variables.bind("sendCookies", options.sendCookies);
    variables.bind("receivedCookies", options.receivedCookies);
    variables.bind("responseHeaders", options.responseHeaders);
    variables.bind("statusCode", options.statusCode);
    reply.result = webRequestObject(args.text("url"), options);
    variables.writeTo(reply);
}

void requestWinHttp(const CallArgs& args, CallReply& reply) {
    WinHttpRequestOptions options;
    options.method = args.integer32("method", 0);
    options.postText = args.text("postText");
    options.extraHeaders = args.text("extraHeaders");
    options.noRedirect = args.logical("noRedirect", false);
    options.userName = args.text("userName");
    options.password = args.text("password");
    options.proxy = args.text("proxy");
    options.proxyUser = args.text("proxyUser");
    options.proxyPassword = args.text("proxyPassword");
    options.timeoutSeconds = args.integer32("timeoutSeconds", 0);
    options.autoMergeCookies = args.logical("autoMergeCookies", true);
    options.completeHeaders = args.logical("completeHeaders", true);
    options.postBytes = args.text("postBytes");
    options.fixHeaderCase = args.logical("fixHeaderCase", true);
    CallerVariables variables(args);
    variables.bind("sendCookies", options.sendCookies);
    variables.bind("receivedCookies", options.receivedCookies);
    variables.bind("responseHeaders", options.responseHeaders);
    variables.bind("redirectLocation", options.redirectLocation);
    variables.bind("statusText", options.statusText);
    variables.bind("responseBody", options.responseBody);
    reply.result = webRequestWinHttp(args.text("url"), options);
    variables.writeTo(reply);
}

const CallRegistrar winHttpCalls{
    {"base64Encode",
     {required("bytes", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = base64Encode(args.text("bytes"));
     }},
    {"namedHeaderValue",
     {required("block", ArgType::text), required("name", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = namedHeaderValue(args.text("block"), args.text("name"));
     }},
    {"webRequestObject",
     {required("url", ArgType::text), optional("method", ArgType::integer),
      optional("postText", ArgType::text), optional("sendCookies", ArgType::text),
      optional("receivedCookies", ArgType::text), optional("extraHeaders", ArgType::text),
      optional("responseHeaders", ArgType::text), optional("statusCode", ArgType::integer),
      optional("noRedirect", ArgType::logical), optional("postBytes", ArgType::text),
      optional("proxy", ArgType::text), optional("timeoutSeconds", ArgType::integer),
      optional("proxyUser", ArgType::text), optional("proxyPassword", ArgType::text),
      optional("credentialTarget", ArgType::integer),
      optional("autoMergeCookies", ArgType::logical), optional("completeHeaders", ArgType::logical),
      optional("fixHeaderCase", ArgType::logical)},
     requestObject},
    {"webRequestWinHttp",
     {required("url", ArgType::text),
      optional("method", ArgType::integer),
      optional("postText", ArgType::text),
      optional("sendCookies", ArgType::text),
      optional("receivedCookies", ArgType::text),
      optional("extraHeaders", ArgType::text),
      optional("responseHeaders", ArgType::text),
      optional("noRedirect", ArgType::logical),
      optional("userName", ArgType::text),
      optional("password", ArgType::text),
      optional("proxy", ArgType::text),
      optional("proxyUser", ArgType::text),
      optional("proxyPassword", ArgType::text),
      optional("timeoutSeconds", ArgType::integer),
      optional("redirectLocation", ArgType::text),
      optional("statusText", ArgType::text),
      optional("responseBody", ArgType::text),
      optional("autoMergeCookies", ArgType::logical),
      optional("completeHeaders", ArgType::logical),
      optional("postBytes", ArgType::text),
      optional("fixHeaderCase", ArgType::logical)},
     requestWinHttp},
};

}  // namespace
}  // namespace navoket::driver

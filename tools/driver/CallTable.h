#pragma once

// The driver's table of calls. Each subsystem registers its calls from its own
// file with a file-scope CallRegistrar, e.g. in WebCalls.cpp:
//
//   const CallRegistrar webCalls{{
//       {"splitUrl",
//        {required("url", ArgType::text), optional("keepPort", ArgType::logical)},
//        [](const CallArgs& args, CallReply& reply) {
//            reply.result = splitUrl(args.text("url"), args.logical("keepPort", false));
//        }},
//   }};
//
// Texts and byte buffers are std::string values holding the bytes themselves:
// the transport has already turned each JSON character U+0000..U+00FF into one
// byte, and writes result and outputs back the same way. Handlers run on the
// window thread, one at a time, except that a handler waiting in a modal window
// lets further requests run meanwhile.

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Bytes.h"

namespace navoket::driver {

using Json = nlohmann::json;

enum class ArgType {
    text,     // a JSON string; each character is one byte (Text or Bytes)
    integer,  // a JSON number without fraction
    logical,  // true or false
    list,     // a JSON array (its strings hold bytes too)
    any,      // any JSON value (its strings hold bytes too)
};

struct ArgSpec {
    std::string name;
    ArgType type = ArgType::text;
    bool optional = false;
};

inline ArgSpec required(std::string name, ArgType type) {
    return {std::move(name), type, false};
}
inline ArgSpec optional(std::string name, ArgType type) {
    return {std::move(name), type, true};
}
// The folder standing for drive C:. Whenever a call declares it, the driver
// sets the drive root to it before the handler runs.
inline ArgSpec rootArg() {
    return required("root", ArgType::text);
}

// The arguments of one request, already checked against the call's specs:
// every required one is present and every present one has its declared type.
class CallArgs {
public:
    explicit CallArgs(Json values) : m_values(std::move(values)) {}

    bool has(const std::string& name) const { return m_values.contains(name); }
    // The value given, or the fallback when the argument was left out.
    Text text(const std::string& name, const Text& fallback = {}) const;
    long long integer(const std::string& name, long long fallback = 0) const;
    // The integer clamped to the range of int, for operations taking an int.
    int integer32(const std::string& name, int fallback = 0) const;
    bool logical(const std::string& name, bool fallback = false) const;
    // Left out stays nothing: for optional parameters whose absence matters.
    std::optional<Text> optionalText(const std::string& name) const;
    const Json& value(const std::string& name) const;

private:
    Json m_values;
};

// What a handler answers. Strings inside result and out hold bytes.
struct CallReply {
    Json result;  // null unless set
    Json out = Json::object();
    std::optional<std::string> error;  // set: the request gets an error reply

    // An output parameter goes into out only when the request named it.
    void output(const CallArgs& args, const std::string& name, Json value);
    void fail(std::string why) { error = std::move(why); }
};

using CallHandler = std::function<void(const CallArgs& args, CallReply& reply)>;

struct CallSpec {
    std::string name;
    std::vector<ArgSpec> args;
    CallHandler handler;
};

// Adds calls to the table; a name registered twice keeps the first.
void registerCall(CallSpec definition);
const CallSpec* findCall(const std::string& name);

struct CallRegistrar {
    CallRegistrar(std::initializer_list<CallSpec> specs);
};

}  // namespace navoket::driver

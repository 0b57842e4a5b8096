#include "tools/driver/RequestDispatcher.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/DriveC.h"
#include "tools/driver/ByteJson.h"

namespace navoket::driver {
namespace {

const char* typeName(ArgType type) {
    switch (type) {
        case ArgType::text:
            return "text";
        case ArgType::integer:
            return "integer";
        case ArgType::logical:
            return "logical";
        case ArgType::list:
            return "list";
        case ArgType::any:
            return "any value";
    }
    return "value";
}

// 3.0 is as good an integer as 3 in JSON; the bound keeps it inside long long.
bool isWholeNumber(double number) {
    return std::isfinite(number) && std::trunc(number) == number && std::fabs(number) < 9.0e18;
}

bool hasType(const Json& value, ArgType type) {
    switch (type) {
        case ArgType::text:
            return value.is_string();
        case ArgType::integer:
            return value.is_number_integer() ||
                   (value.is_number_float() && isWholeNumber(value.get<double>()));
        case ArgType::logical:
            return value.is_boolean();
        case ArgType::list:
            return value.is_array();
        case ArgType::any:
            return true;
    }
    return false;
}

// Requests are small; a deeper nesting than this is refused before parsing,
// so that no recursive walk over the value can run out of stack.
constexpr int maximumNesting = 64;

bool nestsTooDeeply(const std::string& line) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : line) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maximumNesting) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

std::string errorReply(const Json& id, const std::string& why) {
    return "{\"id\":" + id.dump(-1, ' ', true, Json::error_handler_t::replace) +
           ",\"error\":" + encodeByteJson(why) + "}";
}

std::string resultReply(const Json& id, const CallReply& reply) {
    return "{\"id\":" + id.dump(-1, ' ', true, Json::error_handler_t::replace) +
           ",\"result\":" + encodeByteJson(reply.result) + ",\"out\":" + encodeByteJson(reply.out) +
           "}";
}

// The first problem of the arguments against the specs, or nothing.
std::optional<std::string> argumentProblem(const CallSpec& definition, const Json& args) {
    for (const auto& [name, value] : args.items()) {
        const ArgSpec* known = nullptr;
        for (const ArgSpec& arg : definition.args) {
            if (arg.name == name) {
                known = &arg;
            }
        }
        if (known == nullptr) {
            return "unknown argument: " + name;
        }
        if (!hasType(value, known->type)) {
            return "argument " + name + ": expected " + typeName(known->type);
        }
    }
    for (const ArgSpec& arg : definition.args) {
        if (!arg.optional && !args.contains(arg.name)) {
            return "missing argument: " + arg.name;
        }
    }
    return std::nullopt;
}

}  // namespace

void writeReplyLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

RequestDispatcher::RequestDispatcher(WindowHooks hooks) : m_hooks(std::move(hooks)) {}

void RequestDispatcher::enqueue(std::string line) {
    m_queue.push_back(std::move(line));
    schedulePump();
}

void RequestDispatcher::endOfInput() {
    m_inputEnded = true;
    schedulePump();
}

void RequestDispatcher::schedulePump() {
    if (m_pumpScheduled) {
        return;
    }
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { pump(); }, Qt::QueuedConnection);
}

bool RequestDispatcher::innermostIsWaitingInModal() const {
    return m_hooks.modalDepth() > m_runningStartDepths.back();
}

// One request per pump: a window closed by the request just run ends its
// event loop only after this returns, and the waiting handler must go on
// before anything else runs.
void RequestDispatcher::pump() {
    m_pumpScheduled = false;
    const bool mayRun = m_runningStartDepths.empty() || innermostIsWaitingInModal();
    if (!mayRun) {
        return;
    }
    if (!m_queue.empty()) {
        std::string line = std::move(m_queue.front());
        m_queue.pop_front();
        run(line);
        schedulePump();
        return;
    }
    if (!m_inputEnded) {
        return;
    }
    if (m_runningStartDepths.empty()) {
        QCoreApplication::exit(0);
        return;
    }
    // No request can come to close the window a handler waits in: close it,
    // so that the handler ends and its reply is written.
    m_hooks.closeInnermostModal();
    schedulePump();
}

void RequestDispatcher::run(const std::string& line) {
    const std::string reply = answer(line);
    if (!reply.empty()) {
        writeReplyLine(reply);
    }
}

std::string RequestDispatcher::answer(const std::string& line) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
        return {};
    }
    if (nestsTooDeeply(line)) {
        return errorReply(nullptr, "malformed JSON: nested too deeply");
    }
    Json request = Json::parse(line, nullptr, false);
    if (request.is_discarded()) {
        return errorReply(nullptr, "malformed JSON");
    }
    if (!request.is_object()) {
        return errorReply(nullptr, "a request is a JSON object");
    }
    const Json id = request.contains("id") ? request["id"] : Json();
    return answerCall(id, request);
}

std::string RequestDispatcher::answerCall(const Json& id, Json& request) {
    if (!request.contains("call") || !request["call"].is_string()) {
        return errorReply(id, "missing call");
    }
    const std::string name = request["call"].get<std::string>();
    if (name == "exit") {
        writeReplyLine(resultReply(id, CallReply{}));
        std::_Exit(0);
    }
    const CallSpec* definition = findCall(name);
    if (definition == nullptr) {
        return errorReply(id, "unknown call: " + name);
    }
    Json args = request.contains("args") ? request["args"] : Json::object();
    if (!args.is_object()) {
        return errorReply(id, "args must be a JSON object");
    }
    if (!decodeByteStrings(args)) {
        return errorReply(id, "a character above U+00FF in args");
    }
    if (const auto problem = argumentProblem(*definition, args)) {
        return errorReply(id, *problem);
    }
    if (args.contains("root")) {
        const std::filesystem::path root = args["root"].get<std::string>();
        // An empty root would fall back on the user's own drive folder.
        if (root.empty()) {
            return errorReply(id, "argument root: expected a folder");
        }
        // Drive C: is always there: a root folder that does not exist yet is made.
        std::error_code ignored;
        std::filesystem::create_directories(root, ignored);
        setDriveRoot(root);
    }
    CallReply reply;
    m_runningStartDepths.push_back(m_hooks.modalDepth());
    definition->handler(CallArgs(std::move(args)), reply);
    m_runningStartDepths.pop_back();
    if (reply.error) {
        return errorReply(id, *reply.error);
    }
    return resultReply(id, reply);
}

}  // namespace navoket::driver

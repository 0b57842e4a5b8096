#pragma once

#include <map>
#include <string>

#include "platform/Bytes.h"
#include "tools/driver/CallTable.h"

namespace navoket::driver {

// The caller's variables of one request, for operations that take their in/out
// and out parameters by pointer. Each variable starts from the value the
// request gave, as a caller's variable would hold it. One the request left out
// keeps its slot null, so the operation sees it as not supplied, and goes into
// no output.
class CallerVariables {
public:
    explicit CallerVariables(const CallArgs& args) : m_args(args) {}
    CallerVariables(const CallerVariables&) = delete;
    CallerVariables& operator=(const CallerVariables&) = delete;

    // Points slot at the variable named name when the request gave one.
    void bind(const std::string& name, Text*& slot);
    void bind(const std::string& name, int*& slot);
    // Every bound variable, as the operation left it, into reply's outputs.
    void writeTo(CallReply& reply) const;

private:
    const CallArgs& m_args;
    // Map nodes keep their addresses, so the slots stay valid as more are bound.
    std::map<std::string, Text> m_texts;
    std::map<std::string, int> m_integers;
};

}  // namespace navoket::driver

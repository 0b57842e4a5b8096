#include "tools/driver/CallerVariables.h"

namespace navoket::driver {

void CallerVariables::bind(const std::string& name, Text*& slot) {
    if (m_args.has(name)) {
        slot = &(m_texts[name] = m_args.text(name));
    }
}

void CallerVariables::bind(const std::string& name, int*& slot) {
    if (m_args.has(name)) {
        slot = &(m_integers[name] = m_args.integer32(name));
    }
}

void CallerVariables::writeTo(CallReply& reply) const {
    for (const auto& [name, value] : m_texts) {
        reply.output(m_args, name, value);
    }
    for (const auto& [name, value] : m_integers) {
        reply.output(m_args, name, value);
    }
}

}  // namespace navoket::driver

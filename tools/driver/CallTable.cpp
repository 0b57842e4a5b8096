#include "tools/driver/CallTable.h"

#include <cstdio>
#include <limits>
#include <map>

namespace navoket::driver {
namespace {

std::map<std::string, CallSpec>& callTable() {
    static std::map<std::string, CallSpec> table;
    return table;
}

}  // namespace

Text CallArgs::text(const std::string& name, const Text& fallback) const {
    return has(name) ? m_values.at(name).get<std::string>() : fallback;
}

long long CallArgs::integer(const std::string& name, long long fallback) const {
    if (!has(name)) {
        return fallback;
    }
    const Json& value = m_values.at(name);
    if (value.is_number_float()) {
        return static_cast<long long>(value.get<double>());
    }
    if (value.is_number_unsigned()) {
        const auto number = value.get<unsigned long long>();
        constexpr auto largest =
            static_cast<unsigned long long>(std::numeric_limits<long long>::max());
        return static_cast<long long>(number > largest ? largest : number);
    }
    return value.get<long long>();
}

int CallArgs::integer32(const std::string& name, int fallback) const {
    const long long number = integer(name, fallback);
    if (number > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (number < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(number);
}

bool CallArgs::logical(const std::string& name, bool fallback) const {
    return has(name) ? m_values.at(name).get<bool>() : fallback;
}

std::optional<Text> CallArgs::optionalText(const std::string& name) const {
    if (!has(name)) {
        return std::nullopt;
    }
    return m_values.at(name).get<std::string>();
}

const Json& CallArgs::value(const std::string& name) const {
    static const Json absent;
    return has(name) ? m_values.at(name) : absent;
}

void CallReply::output(const CallArgs& args, const std::string& name, Json value) {
    if (args.has(name)) {
        out[name] = std::move(value);
    }
}

void registerCall(CallSpec definition) {
    std::string name = definition.name;
    if (!callTable().emplace(name, std::move(definition)).second) {
        std::fprintf(stderr, "navoket-driver: call %s registered twice; the first one stays\n",
                     name.c_str());
    }
}

const CallSpec* findCall(const std::string& name) {
    const auto found = callTable().find(name);
    return found == callTable().end() ? nullptr : &found->second;
}

CallRegistrar::CallRegistrar(std::initializer_list<CallSpec> specs) {
    for (const CallSpec& definition : specs) {
        registerCall(definition);
    }
}

}  // namespace navoket::driver

#include "options.h"

namespace qxexample {

Options::Options(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const OptionSpec* spec = nullptr;
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            for (const OptionSpec& s : specs) {
                if (s.name == arg.substr(2)) spec = &s;
            }
        }
        if (spec == nullptr) throw UsageError("unknown argument: " + arg);
        if (values_.count(spec->name)) throw UsageError("option given twice: " + arg);
        if (!spec->takes_value) {
            values_[spec->name] = std::string();
            continue;
        }
        if (k + 1 >= args.size()) throw UsageError("option needs a value: " + arg);
        values_[spec->name] = args[++k];
    }
}

const std::string& Options::Required(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end()) throw UsageError("missing option --" + name);
    return it->second;
}

std::uint16_t Options::Port(const std::string& name, bool allow_any) const {
    const std::string& text = Required(name);
    unsigned long value = 0;
    bool digits = !text.empty() && text.size() <= 5;
    for (const char c : text) {
        if (c < '0' || c > '9') digits = false;
    }
    if (digits) value = std::stoul(text);
    if (!digits || value > 65535 || (value == 0 && !allow_any)) {
        throw UsageError("--" + name + " must be a port number " + (allow_any ? "0" : "1") + "..65535, not \"" +
                         text + "\"");
    }
    return static_cast<std::uint16_t>(value);
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

}  // namespace qxexample

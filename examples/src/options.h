// The command line of both programs: "--name value" options and "--name"
// switches, each at most once.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace qxexample {

// A command line the program cannot run with; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionSpec {
    std::string name;  // without the leading "--"
    bool takes_value;
};

class Options {
public:
    // `args` without the program name. Throws UsageError for an unknown or
    // repeated option, a missing value or a stray argument.
    Options(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    // The value of an option that must be given.
    const std::string& Required(const std::string& name) const;
    // A TCP port; 0 only when `allow_any`.
    std::uint16_t Port(const std::string& name, bool allow_any) const;
    std::string Value(const std::string& name, const std::string& fallback) const;

private:
    std::map<std::string, std::string> values_;
};

}  // namespace qxexample

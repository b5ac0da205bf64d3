// At most one enabled default mechanism; at most one enabled default
// negotiating mechanism, which must support negotiation.
#include <cstdio>
#include <string>
#include <vector>

#include "compare.hpp"
#include "final_table.hpp"
#include "messages.hpp"
#include "rules.hpp"
#include "run_end.hpp"

namespace qx {
namespace {

constexpr int kMaxMechanisms = 20;
constexpr std::size_t kMaxNameLength = 19;
constexpr std::size_t kMaxListText = 99;

bool PropertyOn(const CompilerState& s, int i, const char* name) {
    bool on = false;
    bool seen = false;
    ForEachAttribute(s, i, [&](const char* n, const char* v) {
        if (!seen && EqualsIgnoreCase(n, name)) {
            seen = true;
            on = EqualsIgnoreCase(v, "yes");
        }
    });
    return on;
}

}  // namespace

int CheckMechanisms(CompilerState& s) {
    std::vector<std::string> names;
    for (int i = 0; i <= s.final.elementLast; ++i) {
        if (!FinalNameIs(s, i, "Mechanism")) continue;
        bool taken = false;
        ForEachAttribute(s, i, [&](const char* n, const char* v) {
            if (taken || !EqualsIgnoreCase(n, "Name")) return;
            taken = true;
            if (static_cast<int>(names.size()) == kMaxMechanisms) {
                std::fprintf(stderr, msg::kTooManyMechanismsFormat, kMaxMechanisms);
                EndRun(1);
            }
            names.emplace_back(std::string(v).substr(0, kMaxNameLength));
        });
    }

    int defaults = 0;
    int defaultNegotiating = 0;
    std::string list;
    std::size_t k = 0;
    for (int i = 0; i <= s.final.elementLast && k < names.size(); ++i) {
        if (!FinalNameIs(s, i, "MechanismProperties")) continue;
        const std::string& name = names[k++];
        const bool enabled = PropertyOn(s, i, "MechanismEnabled");
        if (enabled && PropertyOn(s, i, "DefaultMechanism")) ++defaults;
        if (enabled && PropertyOn(s, i, "DefaultNegotiatingMechanism")) {
            if (!PropertyOn(s, i, "NegotiationSupported")) {
                std::printf(msg::kNoNegotiationFormat, name.c_str());
                return 0;
            }
            const std::string next = list.empty() ? name : list + ", " + name;
            if (next.size() > kMaxListText) {
                std::fprintf(stderr, msg::kMechanismListTooLongFormat, static_cast<int>(kMaxListText));
                EndRun(1);
            }
            list = next;
            ++defaultNegotiating;
        }
    }

    if (defaults > 1) {
        std::printf("%s", msg::kMultipleDefaults);
        return 0;
    }
    if (defaultNegotiating > 1) {
        std::printf("%s", msg::kMultipleDefaultNegotiating);
        std::printf(msg::kDefaultNegotiatingListFormat, list.c_str());
        return 0;
    }
    return 1;
}

}  // namespace qx

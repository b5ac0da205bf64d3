// Start-up from a compiled configuration file.
#include <algorithm>
#include <cstdlib>

#include "library_loader.hpp"
#include "messages.hpp"
#include "qxgss/binary_config.hpp"
#include "qxgss/framework.hpp"

namespace qxgss {
namespace {

bool IsYes(std::string_view value) { return EqualsIgnoreAsciiCase(value, "yes"); }

std::string Attribute(const BinaryConfig& c, std::int32_t element, std::string_view name) {
    const auto v = c.attributeValue(element, name);
    return v ? std::string(*v) : std::string();
}

// Elements named `name` directly under `parent`.
std::vector<std::int32_t> ChildrenNamed(const BinaryConfig& c, std::int32_t parent, std::string_view name) {
    std::vector<std::int32_t> out;
    for (std::int32_t child : c.children(parent)) {
        if (EqualsIgnoreAsciiCase(c.elementName(child), name)) out.push_back(child);
    }
    return out;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char ch : text + " ") {
        if (ch == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += ch;
        }
    }
    return words;
}

struct Configured {
    MechanismDefinition definition;
    std::uint32_t index = 0;
};

MechanismDefinition ReadMechanism(const BinaryConfig& c, std::int32_t mechanism) {
    MechanismDefinition d;
    d.name = Attribute(c, mechanism, "Name");
    d.oid = Attribute(c, mechanism, "OID");
    d.libraryName = Attribute(c, mechanism, "LibName");
    d.prefix = Attribute(c, mechanism, "Prefix");
    d.enabled = false;
    for (std::int32_t props : ChildrenNamed(c, mechanism, "MechanismProperties")) {
        for (const PropertyDefinition& p : PropertyDefinitions()) {
            const auto value = c.attributeValue(props, p.name);
            if (!value) continue;
            d.properties[p.number] = p.boolean ? (IsYes(*value) ? 1 : 0) : std::atoi(std::string(*value).c_str());
        }
        break;  // one MechanismProperties per mechanism
    }
    const auto enabled = d.properties.find(1);
    d.enabled = enabled != d.properties.end() && enabled->second != 0;
    for (std::int32_t nm : ChildrenNamed(c, mechanism, "NegotiatedMechanism")) {
        d.negotiable.emplace_back(IsYes(Attribute(c, nm, "Usable")), Attribute(c, nm, "ObjectId"));
    }
    return d;
}

}  // namespace

QXGSS_API StartupReport StartFramework(const std::string& configPath, const std::string& libraryPath) {
    StartupReport report;
    ResetFramework();
    LoadResult loaded = LoadBinaryConfigFile(configPath);
    if (!loaded) {
        report.error = loaded.error;
        return report;
    }
    const BinaryConfig& c = *loaded.config;

    // The table first, so that every mechanism's OID resolves when the
    // configure calls run.
    std::vector<Configured> mechanisms;
    std::vector<std::pair<std::string, std::vector<std::string>>> policyByName;
    for (std::int32_t section : c.children(c.root())) {
        if (EqualsIgnoreAsciiCase(c.elementName(section), "Mechanisms")) {
            for (std::int32_t m : ChildrenNamed(c, section, "Mechanism")) {
                Configured entry{ReadMechanism(c, m), 0};
                std::string error;
                if (!AddMechanism(entry.definition, gssp_mech_info{}, &entry.index, &error)) {
                    report.messages.push_back(error + "; left out");
                    continue;
                }
                mechanisms.push_back(std::move(entry));
            }
        } else if (EqualsIgnoreAsciiCase(c.elementName(section), "UserPolicies")) {
            for (std::int32_t p : ChildrenNamed(c, section, "UserPolicy")) {
                const std::string user = Attribute(c, p, "User");
                const bool seen = std::any_of(policyByName.begin(), policyByName.end(),
                                              [&](const auto& e) { return e.first == user; });
                if (!user.empty() && !seen) policyByName.emplace_back(user, Words(Attribute(c, p, "Mechanisms")));
            }
        }
    }

    // Policies name mechanisms; the framework answers with their OIDs.
    for (const auto& [user, names] : policyByName) {
        std::vector<std::string> oids;
        for (const std::string& name : names) {
            const auto it = std::find_if(mechanisms.begin(), mechanisms.end(), [&](const Configured& m) {
                return EqualsIgnoreAsciiCase(m.definition.name, name);
            });
            if (it == mechanisms.end()) {
                report.messages.push_back("policy of " + user + ": no mechanism named " + name);
            } else {
                oids.push_back(it->definition.oid);
            }
        }
        SetUserPolicy(user, oids);
    }

    // Libraries, then the configure calls: mechanisms that negotiate others last.
    std::vector<std::pair<Configured*, gssp_configure_fn>> toConfigure;
    for (Configured& m : mechanisms) {
        if (!m.definition.enabled) continue;
        std::string error;
        const MechanismLibrary library = MechanismLibrary::Load(m.definition.libraryName, libraryPath, &error);
        if (!library.loaded()) {
            report.messages.push_back("mechanism " + m.definition.name + ": " + error + "; disabled");
            DisableMechanism(m.index);
            continue;
        }
        SetMechanismEntryPoints(m.index, BindEntryPoints(library, m.definition.prefix));
        toConfigure.emplace_back(&m, reinterpret_cast<gssp_configure_fn>(library.Find(m.definition.prefix, "configure")));
    }
    std::stable_partition(toConfigure.begin(), toConfigure.end(),
                          [](const auto& e) { return e.first->definition.negotiable.empty(); });
    for (const auto& [m, configure] : toConfigure) {
        if (!configure) continue;
        gssp_buffer_desc messages{};
        gssp_status minor = 0;
        const gssp_status major = configure(&minor, nullptr, nullptr, &messages);
        if (messages.length) {
            report.messages.push_back("mechanism " + m->definition.name + ": " +
                                      std::string(static_cast<const char*>(messages.value), messages.length));
        }
        gssp_release_buffer(nullptr, &messages);
        if (GSSP_ERROR(major)) {
            report.messages.push_back("mechanism " + m->definition.name + ": configure failed (" +
                                      MinorStatusText(minor) + "); disabled");
            DisableMechanism(m->index);
        }
    }
    report.ok = true;
    return report;
}

}  // namespace qxgss

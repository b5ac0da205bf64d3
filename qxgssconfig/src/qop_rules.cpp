// Global QOPs against the cipher-suite table; Mech QOP mappings, the legacy
// QOP and the key length of the default QOP.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cipher_suites.hpp"
#include "compare.hpp"
#include "final_table.hpp"
#include "messages.hpp"
#include "rules.hpp"
#include "tokens.hpp"

namespace qx {
namespace {

constexpr std::uint32_t kKindMode = 19;
constexpr std::uint32_t kKindPadding = 20;
constexpr std::uint32_t kKindKeyLength = 21;
constexpr std::uint32_t kKindKeyLengthP = 22;
constexpr std::uint32_t kNoKind = 0xFFFFFFFFu;

std::uint32_t ParameterKind(const char* attribute) {
    if (EqualsIgnoreCase(attribute, "Mode")) return kKindMode;
    if (EqualsIgnoreCase(attribute, "Padding")) return kKindPadding;
    if (EqualsIgnoreCase(attribute, "KeyLength")) return kKindKeyLength;
    if (EqualsIgnoreCase(attribute, "KeyLengthP")) return kKindKeyLengthP;
    return kNoKind;
}

bool IsAlgorithmAttribute(const char* attribute) {
    return EqualsIgnoreCase(attribute, "ConfidentialityAlgorithm") || EqualsIgnoreCase(attribute, "IntegrityAlgorithm") ||
           EqualsIgnoreCase(attribute, "KeyExchangeAlgorithm");
}

// Owns the array handed out by AlgGetCipherSuites.
struct SuiteTable {
    CipherSuite* suites = nullptr;
    std::uint32_t count = 0;
    ~SuiteTable() { std::free(suites); }
};

bool AlgorithmSupported(const SuiteTable& t, int number) {
    for (std::uint32_t i = 0; i < t.count; ++i) {
        if (t.suites[i].algorithmId == static_cast<std::uint32_t>(number)) return true;
    }
    return false;
}

bool ParameterSupported(const SuiteTable& t, std::uint32_t kind, int number) {
    for (std::uint32_t i = 0; i < t.count; ++i) {
        if (t.suites[i].parameterKind == kind && t.suites[i].parameterValue == static_cast<std::uint32_t>(number)) {
            return true;
        }
    }
    return false;
}

// Atoi-style: leading decimal digits, 0 when there are none.
int LeadingNumber(const char* text) { return std::atoi(text); }

}  // namespace

int LookupLegalValue(const CompilerState& s, const char* entry, const char* symbol, int* number) {
    if (!entry || !symbol || !number) return 1;
    int section = -1;
    for (int i = 0; i <= s.final.elementLast; ++i) {
        if (FinalNameIs(s, i, "LegalValues")) section = i;
    }
    if (section < 0) return 1;
    const ElementRecord& lv = FinalElement(s, section);
    for (int c = lv.firstChild; lv.childCount > 0 && c < lv.firstChild + lv.childCount && c <= s.final.elementLast; ++c) {
        if (!FinalNameIs(s, c, entry)) continue;
        const ElementRecord& e = FinalElement(s, c);
        for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
            if (EqualsIgnoreCase(s.str(MergedAttribute(s, a).name), symbol)) {
                *number = LeadingNumber(s.str(MergedAttribute(s, a).value));
                return 0;
            }
        }
    }
    return 1;
}

bool GlobalQopExists(const CompilerState& s, const char* name) {
    for (int i = 0; i <= s.final.elementLast; ++i) {
        if (FinalNameIs(s, i, "GlobalQOP") && HasAttributeValue(s, i, "Value", name)) return true;
    }
    return false;
}

bool MechQopIs128(const CompilerState& s, int m) {
    const ElementRecord& e = FinalElement(s, m);
    for (int t = e.firstText; t < e.firstText + e.textCount; ++t) {
        for (const std::string& token : SplitWords(MergedText(s, t))) {
            for (int g = 0; g <= s.final.elementLast; ++g) {
                if (!FinalNameIs(s, g, "GlobalQOP") || !HasAttributeValue(s, g, "Value", token.c_str())) continue;
                const char* keyLength = "";
                ForEachAttribute(s, g, [&](const char* n, const char* v) {
                    if (EqualsIgnoreCase(n, "KeyLength")) keyLength = v;
                });
                if (EqualsIgnoreCase(keyLength, "K128")) return true;
            }
        }
    }
    return false;
}

int CheckGlobalQops(CompilerState& s) {
    SuiteTable table;
    if (AlgGetCipherSuites(&table.count, &table.suites, nullptr) != 1) {
        std::printf("%s", msg::kNoCipherSuites);
        return 1;
    }

    std::string badQop, badName, badValue;
    bool unsupportedFound = false;
    for (int i = 0; i <= s.final.elementLast; ++i) {
        if (!FinalNameIs(s, i, "GlobalQOP")) continue;
        if (HasAttributeValue(s, i, "Value", "GLOBAL_QOP_0") || HasAttributeValue(s, i, "Value", "GLOBAL_QOP_1")) continue;
        const char* qopValue = s.str(FindAttributeValueFinal(s, i, "Value"));
        const ElementRecord& e = FinalElement(s, i);
        for (int a = e.firstAttribute; a < e.firstAttribute + e.attributeCount; ++a) {
            const char* name = s.str(MergedAttribute(s, a).name);
            const char* value = s.str(MergedAttribute(s, a).value);
            if (EqualsIgnoreCase(name, "Value")) continue;
            int number = 0;
            const bool algorithm = IsAlgorithmAttribute(name);
            if (LookupLegalValue(s, algorithm ? "AlgorithmName" : name, value, &number) != 0) {
                std::printf(msg::kNotInLegalValuesFormat, name, value);
                return 1;
            }
            const bool supported =
                algorithm ? AlgorithmSupported(table, number) : ParameterSupported(table, ParameterKind(name), number);
            if (!supported) {
                unsupportedFound = true;
                badQop = qopValue;
                badName = name;
                badValue = value;
            }
        }
    }
    if (unsupportedFound) {
        std::printf(msg::kUnsupportedGlobalQopFormat, badQop.c_str(), badName.c_str(), badValue.c_str());
        return 0;
    }
    return 1;
}

int CheckMechQops(CompilerState& s) {
    bool keySizeWarning = false;
    for (int i = 0; i <= s.final.elementLast; ++i) {
        if (!FinalNameIs(s, i, "Mechanism")) continue;
        bool legacy = false;
        int defaultQop = -1;
        for (int j = i + 1; j <= s.final.elementLast; ++j) {
            if (FinalElement(s, j).parent != i || !FinalNameIs(s, j, "MechQop")) continue;
            const ElementRecord& q = FinalElement(s, j);
            int mapped = 0;
            for (int t = q.firstText; t < q.firstText + q.textCount; ++t) {
                for (const std::string& token : SplitWords(MergedText(s, t))) {
                    if (!GlobalQopExists(s, token.c_str())) {
                        std::printf(msg::kInvalidGlobalQopNameFormat, token.c_str());
                        return 0;
                    }
                    ++mapped;
                }
            }
            for (int a = q.firstAttribute; a < q.firstAttribute + q.attributeCount; ++a) {
                const char* name = s.str(MergedAttribute(s, a).name);
                const char* value = s.str(MergedAttribute(s, a).value);
                if (EqualsIgnoreCase(name, "Value") && EqualsIgnoreCase(value, "0")) {
                    if (mapped > 0) legacy = true;
                    if (mapped > 1) {
                        std::printf("%s", msg::kLegacyTooMany);
                        return 0;
                    }
                } else {
                    if (mapped == 0) {
                        std::printf(msg::kNoGlobalQopMappedFormat, value);
                        return 0;
                    }
                    if (EqualsIgnoreCase(value, "Default")) defaultQop = j;
                }
            }
        }
        const bool default128 = defaultQop >= 0 && MechQopIs128(s, defaultQop);
        if (legacy && defaultQop >= 0 && !default128) {
            std::printf("%s", msg::kLegacyNeeds128a);
            std::printf("%s", msg::kLegacyNeeds128b);
            return 0;
        }
        if (defaultQop >= 0 && !default128) keySizeWarning = true;
    }
    if (keySizeWarning) {
        std::printf("%s", msg::kKeySizeWarningA);
        std::printf("%s", msg::kKeySizeWarningB);
    }
    return 1;
}

}  // namespace qx

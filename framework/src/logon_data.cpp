// Logon data: a list of principals separated by ";", each
// "user[@realm][:password]". The first unescaped "@" starts the realm and
// the first unescaped ":" after it starts the password, which runs to the end
// of the principal. A backslash takes the next character literally ("\@",
// "\:", "\;", "\\"). An empty text, an empty principal or a trailing lone
// backslash is not logon data. Parsed parts come back unescaped; an empty
// part is absent.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "status.hpp"

struct qxat_parsed {
    struct Principal {
        std::string user, realm, password;
        qxat_item userItem{}, realmItem{}, passwordItem{};
    };
    std::vector<Principal> principals;
};

namespace {

enum class Part { User, Realm, Password };

// Splits one principal; false when it ends in a lone backslash.
bool ParsePrincipal(const std::string& text, qxat_parsed::Principal& p) {
    Part part = Part::User;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (i + 1 == text.size()) return false;
            c = text[++i];
        } else if (c == '@' && part == Part::User) {
            part = Part::Realm;
            continue;
        } else if (c == ':' && part != Part::Password) {
            part = Part::Password;
            continue;
        }
        (part == Part::User ? p.user : part == Part::Realm ? p.realm : p.password).push_back(c);
    }
    return true;
}

void Publish(std::string& text, qxat_item& item) {
    item.text = text.empty() ? nullptr : &text[0];
    item.length = static_cast<uint32_t>(text.size());
}

void WipeString(std::string& s) {
    volatile char* p = s.empty() ? nullptr : &s[0];
    for (std::size_t i = 0; i < s.size(); ++i) p[i] = 0;
}

qxat_item* Item(qxat_handle h, uint32_t principal, qxat_item qxat_parsed::Principal::*item) {
    if (!h || principal >= h->principals.size()) return nullptr;
    qxat_item& it = h->principals[principal].*item;
    return it.text ? &it : nullptr;
}

}  // namespace

extern "C" {

QXGSS_API qxat_handle qxat_parse(const char* text, uint32_t /*options*/) {
    if (!text || !*text) return nullptr;
    try {
        auto parsed = std::make_unique<qxat_parsed>();
        std::string current;
        const std::string all(text);
        for (std::size_t i = 0; i <= all.size(); ++i) {
            if (i < all.size() && all[i] == '\\' && i + 1 < all.size()) {
                current.push_back(all[i]);
                current.push_back(all[++i]);
                continue;
            }
            if (i < all.size() && all[i] != ';') {
                current.push_back(all[i]);
                continue;
            }
            qxat_parsed::Principal p;
            if (current.empty() || !ParsePrincipal(current, p)) {
                WipeString(current);
                for (auto& q : parsed->principals) WipeString(q.password);
                return nullptr;
            }
            WipeString(current);
            current.clear();
            parsed->principals.push_back(std::move(p));
        }
        for (auto& p : parsed->principals) {
            Publish(p.user, p.userItem);
            Publish(p.realm, p.realmItem);
            Publish(p.password, p.passwordItem);
        }
        return parsed.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

QXGSS_API uint32_t qxat_get_count(qxat_handle h) { return h ? static_cast<uint32_t>(h->principals.size()) : 0; }

QXGSS_API qxat_item* qxat_get_user(qxat_handle h, uint32_t principal) {
    return Item(h, principal, &qxat_parsed::Principal::userItem);
}
QXGSS_API qxat_item* qxat_get_realm(qxat_handle h, uint32_t principal) {
    return Item(h, principal, &qxat_parsed::Principal::realmItem);
}
QXGSS_API qxat_item* qxat_get_password(qxat_handle h, uint32_t principal) {
    return Item(h, principal, &qxat_parsed::Principal::passwordItem);
}

QXGSS_API uint32_t qxat_unescape(qxat_item* item) {
    if (!item) return qxgss::kBadArgument;
    if (!item->text) return qxgss::kSuccess;
    uint32_t out = 0;
    for (uint32_t i = 0; i < item->length; ++i) {
        if (item->text[i] == '\\' && i + 1 < item->length) ++i;
        item->text[out++] = item->text[i];
    }
    for (uint32_t i = out; i < item->length; ++i) item->text[i] = '\0';
    item->length = out;
    return qxgss::kSuccess;
}

QXGSS_API void qxat_free(qxat_handle h) {
    if (!h) return;
    for (auto& p : h->principals) WipeString(p.password);
    delete h;
}

}  // extern "C"

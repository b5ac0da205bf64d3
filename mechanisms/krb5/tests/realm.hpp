// The throwaway realm every test program runs in (scripts/test-realm.sh),
// started before the first test and stopped after the last.
#pragma once

#include <string>

namespace qxkrb5_tests {

struct RealmInfo {
    std::string directory;
    std::string realm;     // QX_KRB5_REALM
    std::string user;      // QX_KRB5_USER: the principal in the default cache
    std::string password;  // QX_KRB5_PASSWORD: that principal's password
};
const RealmInfo& Realm();

// Sets an environment variable for its lifetime and puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, const std::string& value);
    ~EnvOverride();
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace qxkrb5_tests

// The test programs' main: the realm as a global test environment.
#include "realm.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#ifndef QX_TEST_REALM_SCRIPT
#error QX_TEST_REALM_SCRIPT must name scripts/test-realm.sh
#endif

namespace qxkrb5_tests {
namespace {

RealmInfo g_realm;

struct PipeClose {
    void operator()(FILE* f) const { pclose(f); }
};

class RealmEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        char dir[] = "/tmp/qxkrb5-realm-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        g_realm.directory = dir;
        const std::string command = std::string(QX_TEST_REALM_SCRIPT) + " start " + dir;
        FILE* out = popen(command.c_str(), "r");
        ASSERT_NE(out, nullptr);
        std::string text;
        char chunk[512];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, out)) > 0;) text.append(chunk, n);
        const int status = pclose(out);
        ASSERT_EQ(status, 0) << command << " failed";
        // KEY=VALUE lines: every one goes into the environment.
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
        }
        for (auto [name, field] : {std::pair{"QX_KRB5_REALM", &g_realm.realm}, std::pair{"QX_KRB5_USER", &g_realm.user},
                                   std::pair{"QX_KRB5_PASSWORD", &g_realm.password}}) {
            const char* value = std::getenv(name);
            ASSERT_NE(value, nullptr) << name << " missing from the realm's output";
            *field = value;
        }
    }
    void TearDown() override {
        if (g_realm.directory.empty()) return;
        const std::string command = std::string(QX_TEST_REALM_SCRIPT) + " stop " + g_realm.directory;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
};

}  // namespace

const RealmInfo& Realm() { return g_realm; }

EnvOverride::EnvOverride(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}

EnvOverride::~EnvOverride() {
    if (had_) {
        setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

}  // namespace qxkrb5_tests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new qxkrb5_tests::RealmEnvironment);
    return RUN_ALL_TESTS();
}

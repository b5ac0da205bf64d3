// The compiler program exports AlgGetCipherSuites by name: load the built
// program as a module (without running it) and look the name up.
#include <windows.h>

#include <gtest/gtest.h>

TEST(ProgramExports, AlgGetCipherSuitesByName) {
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    std::string program(self);
    program = program.substr(0, program.find_last_of("\\/") + 1) + "..\\qxgssconfig.exe";
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr) << program;
    EXPECT_NE(GetProcAddress(module, "AlgGetCipherSuites"), nullptr);
    FreeLibrary(module);
}

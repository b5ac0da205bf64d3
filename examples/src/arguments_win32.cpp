// Windows: the UTF-16 command line, split as the C runtime splits it, each
// argument converted to UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <stdexcept>

#include "arguments.h"

namespace qxexample {
namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) throw std::runtime_error("an argument is not valid UTF-16 text");
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

struct LocalFreeDeleter {
    void operator()(wchar_t** p) const { LocalFree(p); }
};

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreeDeleter> args(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!args) throw std::runtime_error("cannot read the command line");
    std::vector<std::string> result;
    for (int k = 1; k < count; ++k) result.push_back(Utf8(args.get()[k]));
    return result;
}

}  // namespace qxexample

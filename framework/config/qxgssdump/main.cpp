// qxgssdump FILE: prints a compiled configuration as indented XML, so that a
// site can see what the framework will read. Status 0 when the file was
// printed, 1 on wrong arguments, a refused file or a failed write.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "qxgss/binary_config.hpp"
#include "render.hpp"

namespace {

constexpr const char* kUsage = "Usage: qxgssdump FILE\n";
constexpr const char* kWriteFailed = "qxgssdump: cannot write standard output\n";

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // "\n" line ends on every platform.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (argc != 2) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    const qxgss::LoadResult loaded = qxgss::LoadBinaryConfigFile(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "%s\n", loaded.error.c_str());
        return 1;
    }
    const std::string xml = qxgss::RenderXml(*loaded.config);
    if (std::fwrite(xml.data(), 1, xml.size(), stdout) != xml.size() || std::fflush(stdout) != 0) {
        std::fputs(kWriteFailed, stderr);
        return 1;
    }
    return 0;
}

// Fuzz target of the configuration compiler: the input is a library document
// and a user document separated by a NUL byte (without one, the input is the
// user document and the shipped library file is used). Both are written to a
// scratch folder beside a copy of the shipped schema and compiled by the
// whole pipeline, output file included. Every early end of the run (parse
// errors, capacities, file errors) unwinds to RunCompiler as a status.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "pipeline.hpp"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const char* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

struct Scratch {
    std::string dir;
    std::string library;
    Scratch() {
        char pattern[] = "/tmp/qxgssconfig-fuzz.XXXXXX";
        dir = mkdtemp(pattern);
        const std::string schema = ReadFile(QX_CONFIG_DIR "/QxgssConfigFile.xsd");
        WriteFile(dir + "/QxgssConfigFile.xsd", schema.data(), schema.size());
        library = ReadFile(QX_CONFIG_DIR "/QxgssLibConfigFile.xml");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::string input(bytes, size);
    const std::size_t split = input.find('\0');
    const std::string lib = scratch.dir + "/lib.xml";
    const std::string user = scratch.dir + "/user.xml";
    const std::string out = scratch.dir + "/out.bin";
    if (split == std::string::npos) {
        WriteFile(lib, scratch.library.data(), scratch.library.size());
        WriteFile(user, bytes, size);
    } else {
        WriteFile(lib, bytes, split);
        WriteFile(user, bytes + split + 1, size - split - 1);
    }
    std::remove(out.c_str());
    const char* argv[] = {"qxgssconfig", lib.c_str(), user.c_str(), out.c_str()};
    const int status = qx::RunCompiler(4, argv);
    // A run that reports success has written a complete file; a failed run
    // has written nothing.
    std::ifstream written(out, std::ios::binary | std::ios::ate);
    if ((status == 0) != written.is_open()) std::abort();
    if (status == 0 && written.tellg() < 44) std::abort();
    return 0;
}

// qxgssconfig LibXMLFile UserXMLFile OutputBinFile
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "pipeline.hpp"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The messages are written byte for byte, line ends included.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const int status = qx::RunCompiler(argc, argv);
    std::fflush(stdout);
    return status;
}

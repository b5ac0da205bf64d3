// qxgssconfig LibXMLFile UserXMLFile OutputBinFile
#include <cstdio>

#include "pipeline.hpp"

int main(int argc, char** argv) {
    const int status = qx::RunCompiler(argc, argv);
    std::fflush(stdout);
    return status;
}

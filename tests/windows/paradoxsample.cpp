// Writes the tables of a data folder as an old installation's Paradox tables:
// the input of the moving-in step of the Windows end-to-end run.
//   paradoxsample DATA_FOLDER OLD_CARDATA

#include "support/paradoxwriter.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: paradoxsample DATA_FOLDER OLD_CARDATA\n");
        return 2;
    }
    try {
        mivora::test::writeParadoxFolder(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "paradoxsample: %s\n", error.what());
        return 1;
    }
    return 0;
}

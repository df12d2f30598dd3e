// Writes one file over and over with the atomic writer, alternating two whole contents of one repeated
// letter each, until it is killed. After its first complete write it prints "R", so that the killing test
// knows the loop is running. Usage: vantor_atomic_writer_child PATH BYTES
#include "PosixFileIo.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PATH BYTES\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    const std::string contents[2] = { std::string(size, 'A'), std::string(size, 'B') };
    try {
        vantor::replaceFileAtomically(path, contents[0]);
        if (::write(STDOUT_FILENO, "R", 1) != 1)
            return 3;
        for (unsigned long round = 1;; ++round)
            vantor::replaceFileAtomically(path, contents[round % 2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

// Writes the built-in European character picture as a bitmap file: the factory picture the
// program ships beside itself.

#include "core/euro_picture.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_euro_picture FILE.bmp\n");
        return 2;
    }
    const lumivo::Status written = lumivo::WriteEuroBmp(argv[1], lumivo::BuiltInEuroPicture());
    if (!written) {
        std::fprintf(stderr, "make_euro_picture: %s\n", written.error().message.c_str());
        return 1;
    }
    return 0;
}

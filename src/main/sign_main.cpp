#include "sim/sign_server.h"

int main(int argc, char** argv) {
    return lumivo::sim::SignMain(argc, argv);
}

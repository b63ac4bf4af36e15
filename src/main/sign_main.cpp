#include "sim/sign_server.h"

#ifdef LUMIVO_SIGN_WINDOW
#include "sim/window/sign_window.h"
#endif

int main(int argc, char** argv) {
#ifdef LUMIVO_SIGN_WINDOW
    return lumivo::sim::SignMain(argc, argv, &lumivo::sim::RunSignWindow);
#else
    return lumivo::sim::SignMain(argc, argv);
#endif
}

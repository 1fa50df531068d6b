#include "modulapi.h"

int main(int argc, char** argv) {
    prepareStdio();
    return tervoMain(argc, argv);
}

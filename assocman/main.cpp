// assocman: the register and daily records of a student association.
#include "assocman/app/program.h"

int main(int argc, char** argv) { return app::run_program(argc, argv); }

// The process entry: the application's life, then its exit status.
#include <cstdlib>

#include "shell/app.h"

int main(int, char**, char**) { std::exit(QuorvaneMain()); }

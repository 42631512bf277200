#include "shell/app.h"

std::int32_t App::ArretTraitement = 0;

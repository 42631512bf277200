#pragma once
#include "platform/files/files.h"

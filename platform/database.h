#pragma once
#include "platform/database/database.h"

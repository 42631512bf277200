#pragma once
#include "platform/ui/ui.h"

#pragma once
#include "platform/text/text.h"

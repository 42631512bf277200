#pragma once
#include "platform/text/french.h"
#include "platform/text/text.h"

#pragma once
#include "platform/runtime/object.h"

#pragma once
#include "platform/runtime/classes.h"
#include "platform/runtime/events.h"
#include "platform/runtime/object.h"
#include "platform/runtime/properties.h"

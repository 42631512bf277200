// Windows, controls, menus, dialogs, message boxes, the stop key and the event loop's yield.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/interaction.h"
#include "platform/ui/application.h"
#include "platform/ui/menus.h"
#include "platform/ui/window.h"

// The whole class library.
#pragma once

#include "classes.h"
#include "controls.h"
#include "forms.h"
#include "graphics.h"
#include "sysutils.h"
#if __has_include("extctrls.h")
#include "extctrls.h"
#endif
#if __has_include("stdctrls.h")
#include "stdctrls.h"
#endif
#if __has_include("menus.h")
#include "menus.h"
#endif
#if __has_include("dialogs.h")
#include "dialogs.h"
#endif
#if __has_include("buttons.h")
#include "buttons.h"
#endif

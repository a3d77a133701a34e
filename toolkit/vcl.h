#pragma once
// Everything a window unit needs from the toolkit.

#include "ansi_string.h"
#include "application.h"
#include "buttons.h"
#include "comctrls.h"
#include "exception.h"
#include "extctrls.h"
#include "form.h"
#include "stdctrls.h"

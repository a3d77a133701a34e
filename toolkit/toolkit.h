#pragma once
// Everything a window unit needs from the toolkit.

#include "ansi_string.h"
#include "application.h"
#include "bitbtn.h"
#include "edit.h"
#include "exception.h"
#include "form.h"
#include "label.h"
#include "status_bar.h"
#include "timer.h"

// Resource ids shared by clearpane.rc and the program; plain macros, because
// the resource compilers read only the preprocessor.
#pragma once

#define IDI_CLEARPANE_IDLE 101
#define IDI_CLEARPANE_FILTERED 102

#pragma once
// Resource ids of the information windows, shared by icons.rc and the code that loads them.

#define IDI_INFO_HELP 201

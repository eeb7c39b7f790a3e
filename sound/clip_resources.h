#pragma once
// Resource ids of the built-in alarm clips, shared by clips.rc and the code that loads them.

#define IDR_LOW_LIMIT_CLIP 101
#define IDR_HIGH_LIMIT_CLIP 102

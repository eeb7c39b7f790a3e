#include "sound/builtin_clips_win32.h"

#include <windows.h>

#include "sound/clip_resources.h"

namespace sound {
namespace {

// A loaded resource of the process's own image stays mapped until the process ends, so the view
// needs no owner and no release.
std::string_view resourceBytes(int id) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(self, found)};
}

}  // namespace

std::string_view lowLimitClip() {
    static const std::string_view clip = resourceBytes(IDR_LOW_LIMIT_CLIP);
    return clip;
}

std::string_view highLimitClip() {
    static const std::string_view clip = resourceBytes(IDR_HIGH_LIMIT_CLIP);
    return clip;
}

}  // namespace sound

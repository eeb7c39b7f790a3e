#pragma once
// A full logical-font record for Chinese text; every field not named is 0, and an empty face
// lets the window system pick the default face of the GB2312 character set.

#include <windows.h>

#include <cwchar>

namespace ticker {

inline LOGFONTW gb2312Font(LONG height, LONG weight, const wchar_t* face = L"", BYTE outPrecision = 0,
                           BYTE clipPrecision = 0, BYTE quality = 0, BYTE pitchAndFamily = 0) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = outPrecision;
    font.lfClipPrecision = clipPrecision;
    font.lfQuality = quality;
    font.lfPitchAndFamily = pitchAndFamily;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

}  // namespace ticker

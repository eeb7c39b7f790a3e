#include "info/info_window_win32.h"
#include "info/info_windows_win32.h"

namespace info {
namespace {

constexpr wchar_t kFacts[] =
    L"软 件 名 称 ： 看 价 小 窗\r\n"
    L"应 用 版 本 ： Version  1.0\r\n"
    L"发 布 日 期 ： 2012 年 2 月\r\n"
    L"适 用 系 统 ： Windows XP 、 Windows 7\r\n";

// The four contact entries, each caption followed by the makers' details. The program is made by its
// developers as a group; it has no e-mail address, QQ number or home page of its own to give.
constexpr wchar_t kContact[] =
    L"软件作者 ：看价小窗开发组\r\n"
    L"\r\n"
    L"Email    ：\r\n"
    L"\r\n"
    L"Q Q 号码 ：\r\n"
    L"\r\n"
    L"个人主页 ：";

WindowSettings aboutWindowSettings() {
    const LOGFONTW captionFont = gb2312Font(-14, FW_BOLD);
    const COLORREF magenta = RGB(255, 0, 255);
    return {
        InfoRole::About,
        L"关于软件",
        380,
        250,   // outer size
        true,  // modal
        0,     // the default icon
        {
            transLabel(L"透明标签8", nullptr, {51, 32, 272, 60}, kFacts,
                       gb2312Font(-12, FW_NORMAL, L"宋体", OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS,
                                  DRAFT_QUALITY, VARIABLE_PITCH),
                       RGB(0, 128, 0)),
            transLabel(L"透明标签3", nullptr, {30, 120, 314, 90}, kContact, gb2312Font(-12, FW_NORMAL),
                       RGB(0, 0, 255)),
            groupBox(L"分组框1", {6, 12, 362, 76}, L" 软 件 信 息 ", captionFont, magenta, Alignment::Centre),
            groupBox(L"分组框2", {6, 99, 362, 117}, L" 联 系 作 者 ", captionFont, magenta,
                     Alignment::Centre),
        }};
}

}  // namespace

void openAboutWindow() {
    InfoWindow::openModal(aboutWindowSettings());
}

}  // namespace info

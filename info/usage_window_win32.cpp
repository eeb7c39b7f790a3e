#include "info/info_window_win32.h"
#include "info/info_windows_win32.h"

namespace info {
namespace {

constexpr wchar_t kIntroduction[] =
    L"   "
    L"《看价小窗》是一款专为上班族量身打造的实时盯盘软件，实时股价始终处于桌面最前端，透明、小巧、随意拖动。"
    L"您预设的股价上下限预警，更可以让您上班投资两不误！";

constexpr wchar_t kUsage[] =
    L"1、输入完整的股票代码（sh + ** 或 sz + **），如：sh000001。\r\n"
    L"\r\n"
    L"2、输入股票上、下限预警价格，点击“开始”按钮即可实时盯盘。\r\n"
    L"\r\n"
    L"3、软件默认开设预警，复选右上角的“√”，即可开闭预警声音。\r\n"
    L"\r\n"
    L"4、更换股票：将鼠标指针指向透明窗体的数字显示区域，待指针变\r\n"
    L"   为四向箭头形时双击，输入相关信息即可。\r\n"
    L"\r\n"
    L"5、拖动窗口：当鼠标指针指向透明窗体的数字显示区域，待指针变\r\n"
    L"   为四向箭头形时，按住鼠标左键，可以将窗口随意拖动。\r\n"
    L"\r\n"
    L"6、打开帮助：四向箭头形时，右键单击透明窗体的数字显示区域。\r\n"
    L"\r\n"
    L"7、退出软件：因WinXP和Win7对软件的兼容性差异，请按“Esc”\r\n"
    L"   键，或者鼠标右键单击右上角的复选框，即可无声退出。";

WindowSettings usageWindowSettings() {
    const LOGFONTW captionFont = gb2312Font(-12, FW_BOLD);
    return {
        InfoRole::Usage,
        L"使用说明",
        380,
        330,   // outer size
        true,  // modal
        0,     // the default icon
        {
            groupBox(L"分组框1", {3, 5, 369, 67}, L" 基本介绍 ", captionFont, RGB(0, 128, 0),
                     Alignment::Left),
            transLabel(L"透明标签1", L"分组框1", {5, 20, 360, 40}, kIntroduction, std::nullopt, RGB(0, 0, 0)),
            // Wider than the window: its right part is cut off by the window's edge.
            groupBox(L"分组框2", {3, 77, 413, 222}, L" 使用方法 ", captionFont, RGB(255, 0, 0),
                     Alignment::Left),
            transLabel(L"透明标签2", L"分组框2", {6, 21, 365, 198}, kUsage, std::nullopt, RGB(0, 0, 0)),
        }};
}

}  // namespace

void openUsageWindow() {
    InfoWindow::openModal(usageWindowSettings());
}

}  // namespace info

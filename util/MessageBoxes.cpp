// The program's standard message boxes.
#include "util/MessageBoxes.h"

#include <cstdarg>

#include "platform/MessageBox.h"
#include "util/FormatText.h"

void VInfoMessageBox(wxWindow* owner, const char* format, va_list args) {
    // An OK box: MB_OK is zero, the icon is the whole style.
    platform::ShowMessageBox(
        {owner, util::VFormatText(format, args), "알림", platform::MB_ICONINFORMATION});
}

namespace {
std::string DBErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string DBErrorText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = util::VFormatText(format, args);
    va_end(args);
    return text;
}
} // namespace

void ShowDBErrorBox(int code, const std::string& message) {
    platform::ShowMessageBox(
        {nullptr,
         DBErrorText("데이터베이스 오류입니다.\r\n오류코드:%d\r\n오류메세지:%s", code,
                     message.c_str()),
         "에러", platform::MB_ICONERROR});
}

// The program's standard boxes, all over platform::ShowMessageBox.
#pragma once

#include <cstdarg>
#include <string>

class wxWindow;
struct RDBStatus;

// Information box: caption "알림", information icon, OK; the arguments as a va_list, for
// callers that forward their own.
void VInfoMessageBox(wxWindow* owner, const char* format, va_list args)
    __attribute__((format(printf, 2, 0)));

// The database error box: caption "에러", error icon, no owner, the status's code and
// message in the fixed text.
void ShowDBErrorBox(int code, const std::string& message);

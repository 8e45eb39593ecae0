// The four dialog templates and the string table.
#include "res/DialogTemplates.h"

#include "res/ResourceIds.h"

#include <algorithm>
#include <iterator>

namespace res {
namespace {

using K = ControlKind;

constexpr unsigned kTab = StyleTabStop;
constexpr unsigned kEdit = StyleBorder | StyleAutoHScroll | StyleTabStop;
constexpr unsigned kFieldLabel = StyleCentre | StyleCentreVertically | StyleSunken;
constexpr unsigned kFirstGrade = StyleGroup | kTab | StyleSunken;
constexpr unsigned kMemo = StyleBorder | StyleMultiLine | StyleVScroll | StyleWantReturn | kTab;
constexpr unsigned kFigure = StyleCentre | StyleSunken; // the call time and today's figures

// Agent console. The response grades come first, in id order: their positions in
// the group are the grade indexes.
constexpr ControlTemplate kConsoleControls[] = {
    {IDC_RADIO_RESULT1, K::AutoRadioButton, {3, 118, 43, 12}, "적극호응", kFirstGrade},
    {IDC_RADIO_RESULT2, K::AutoRadioButton, {49, 117, 43, 12}, "소극호응", StyleSunken},
    {IDC_RADIO_RESULT3, K::AutoRadioButton, {95, 117, 43, 12}, "중도", StyleSunken},
    {IDC_RADIO_RESULT4, K::AutoRadioButton, {141, 117, 43, 12}, "소극적대", StyleSunken},
    {IDC_RADIO_RESULT5, K::AutoRadioButton, {187, 117, 43, 12}, "적극적대", StyleSunken},
    {IDC_RADIO_RESULT6, K::AutoRadioButton, {233, 117, 43, 12}, "기타", StyleSunken},
    {IDC_RADIO_RESULT7, K::AutoRadioButton, {279, 117, 43, 12}, "수신거부", StyleSunken},
    {IDC_BTN_LOGIN, K::PushButton, {0, 8, 25, 25}, "로그인", kTab},
    {IDC_BTN_READY, K::PushButton, {28, 8, 25, 25}, "대기중", kTab},
    {IDC_BTN_BREAK, K::PushButton, {56, 8, 25, 25}, "휴식중", kTab},
    {IDC_BTN_LOGOUT, K::PushButton, {84, 8, 25, 25}, "로그\n아웃", StyleMultiLine | kTab},
    {IDC_STATIC_TELNUM, K::StaticText, {2, 51, 33, 12}, "전화번호", StyleGroup | StyleSunken},
    {IDC_STATIC_CUSTINFO1, K::StaticText, {2, 63, 33, 12}, "고객정보1", StyleSunken},
    {IDC_STATIC_CUSTINFO2, K::StaticText, {2, 76, 33, 12}, "고객정보2", StyleSunken},
    {IDC_STATIC_CUSTINFO3, K::StaticText, {2, 88, 33, 12}, "고객정보3", StyleSunken},
    {IDC_STATIC_CUSTINFO4, K::StaticText, {2, 101, 33, 12}, "고객정보4", StyleSunken},
    {IDC_EDIT_TELNUM, K::Edit, {36, 50, 119, 12}, "", kEdit},
    {IDC_EDIT_CUSTINFO1, K::Edit, {36, 63, 286, 12}, "", kEdit},
    {IDC_EDIT_CUSTINFO2, K::Edit, {36, 76, 286, 12}, "", kEdit},
    {IDC_EDIT_CUSTINFO3, K::Edit, {36, 88, 286, 12}, "", kEdit},
    {IDC_EDIT_CUSTINFO4, K::Edit, {36, 101, 286, 12}, "", kEdit},
    {IDC_STATIC_MEMO, K::StaticText, {3, 131, 46, 12}, "통화내용메모", StyleGroup | StyleSunken},
    {IDC_EDIT_MEMO, K::Edit, {51, 131, 271, 66}, "", kMemo},
    {IDC_BTN_REGIST, K::PushButton, {327, 117, 50, 25}, "통화결과 등록", kTab},
    {IDC_STATIC, K::GroupBox, {0, 2, 139, 33}, "", StyleNone},
    {IDC_STATIC, K::StaticText, {160, 4, 38, 12}, "통화시간", kFigure},
    {IDC_STATIC_CALLTIME, K::StaticText, {160, 16, 38, 12}, "00:00:00", kFigure},
    {IDC_STATIC, K::StaticText, {220, 4, 73, 12}, "금일 통화 콜수", kFigure},
    {IDC_STATIC_TODAY_COUNT, K::StaticText, {296, 4, 51, 12}, "0", kFigure},
    {IDC_STATIC, K::StaticText, {220, 17, 73, 12}, "금일 통화 시간", kFigure},
    {IDC_STATIC_TODAY_TIME, K::StaticText, {296, 17, 51, 12}, "00:00:00", kFigure},
};

// Sign-in. The password field comes first: it has the focus when the dialog opens.
constexpr ControlTemplate kLoginControls[] = {
    {IDC_EDIT_PASSWORD, K::Edit, {67, 52, 61, 12}, "", kEdit | StylePassword},
    {IDOK_BUTTON, K::DefPushButton, {5, 86, 39, 21}, "로그인", kTab},
    {IDCANCEL_BUTTON, K::PushButton, {47, 86, 39, 21}, "취소", kTab},
    {IDC_EDIT_USER_ID, K::Edit, {67, 9, 61, 12}, "", kEdit},
    {IDC_EDIT_SVC_ID, K::Edit, {67, 24, 61, 12}, "", kEdit},
    {IDC_EDIT_AGENT_NM, K::Edit, {67, 38, 61, 12}, "", kEdit},
    {IDC_EDIT_EXTENSION, K::Edit, {67, 67, 61, 12}, "", kEdit},
    {IDC_STATIC_AGENT_NM, K::StaticText, {6, 38, 59, 12}, "상  담  원  명", kFieldLabel},
    {IDC_STATIC_PASSWORD, K::StaticText, {5, 52, 59, 12}, "비  밀  번  호", kFieldLabel},
    {IDC_STATIC_USER_ID, K::StaticText, {6, 9, 59, 12}, "ZEL 사용자ID", kFieldLabel},
    {IDC_STATIC_EXTENSION, K::StaticText, {6, 67, 59, 12}, "전  화  번  호", kFieldLabel},
    {IDC_STATIC_SVC_ID, K::StaticText, {6, 24, 59, 12}, "ZEL 서비스ID", kFieldLabel},
    {IDC_BTN_SETTING, K::PushButton, {90, 86, 39, 21}, "설정", kTab},
};

constexpr ControlTemplate kServerAddrControls[] = {
    {IDC_EDIT_SERVER_ADDR, K::Edit, {53, 13, 124, 12}, "", kEdit},
    {IDOK_BUTTON, K::DefPushButton, {38, 36, 50, 14}, "설정", kTab},
    {IDCANCEL_BUTTON, K::PushButton, {97, 36, 50, 14}, "취소", kTab},
    {IDC_STATIC, K::StaticText, {9, 13, 42, 12}, "서버 주소", StyleCentreVertically | StyleSunken},
};

constexpr ControlTemplate kAboutControls[] = {
    {IDC_STATIC, K::Icon, {11, 17, 20, 20}, "", StyleNone},
    {IDC_STATIC, K::StaticText, {40, 10, 119, 8}, "ZELAgent 버전 1.0", StyleNoPrefix},
    {IDC_STATIC, K::StaticText, {40, 25, 119, 8}, "콜센터 상담원 프로그램", StyleNone},
    {IDOK_BUTTON, K::DefPushButton, {178, 7, 50, 14}, "확인", StyleGroup | kTab},
};

constexpr DialogTemplate kTemplates[] = {
    {IDD_AGENT_CONSOLE, "ZELAgent", DialogMinimizeBox, "굴림", 9, 385, 206, kConsoleControls},
    {IDD_LOGIN, "로그인", DialogStyleNone, "굴림체", 9, 135, 113, kLoginControls},
    {IDD_SERVER_ADDR, "서버 주소 설정", DialogStyleNone, "굴림체", 9, 187, 61, kServerAddrControls},
    {IDD_ABOUTBOX, "ZELAgent 정보", DialogStyleNone, "굴림", 9, 235, 55, kAboutControls},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    const auto* found = std::find_if(std::begin(kTemplates), std::end(kTemplates),
                                     [id](const DialogTemplate& t) { return t.id == id; });
    return found == std::end(kTemplates) ? nullptr : found;
}

const ControlTemplate* FindControl(const DialogTemplate& dialog, int controlId) {
    if (controlId == IDC_STATIC)
        return nullptr;
    const auto found =
        std::find_if(dialog.controls.begin(), dialog.controls.end(),
                     [controlId](const ControlTemplate& c) { return c.id == controlId; });
    return found == dialog.controls.end() ? nullptr : &*found;
}

const char* LoadResString(int id) {
    return id == IDS_ABOUTBOX ? "ZELAgent 정보(&A)..." : "";
}

} // namespace res

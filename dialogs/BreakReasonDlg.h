// CBreakReasonDlg, "휴식 사유": the list of break reasons the floor has configured,
// opened by the console's break when there are any. A digit 1-9 chooses the reason of
// that number at once; the arrows and Enter, a double click, or 확인 choose the one
// selected; Escape, 취소 and the close box choose nothing.
#pragma once

#include <optional>
#include <vector>

#include <wx/dialog.h>

#include "db/BreakReasons.h"

class CHoverButton;
class wxListBox;
class wxKeyEvent;

class CBreakReasonDlg : public wxDialog {
  public:
    // ShowModal() gives wxID_OK with Chosen() set, or wxID_CANCEL with nothing chosen.
    CBreakReasonDlg(wxWindow* parent, std::vector<BreakReason> reasons);

    // The index of the chosen reason in the list given.
    std::optional<std::size_t> Chosen() const { return m_chosen; }

    // The reason the agent chose, or nullopt when the list was cancelled.
    static std::optional<BreakReason> Choose(wxWindow* parent,
                                             const std::vector<BreakReason>& reasons);

    // "3  팀장 면담": the digit that chooses it, for the first nine.
    static wxString ItemText(std::size_t index, const BreakReason& reason);

  private:
    void OnCharHook(wxKeyEvent& event);
    void ChooseAt(int index);

    std::vector<BreakReason> m_reasons;
    std::optional<std::size_t> m_chosen;
    wxListBox* m_list = nullptr;
    CHoverButton* m_ok = nullptr;
    CHoverButton* m_cancel = nullptr;
};

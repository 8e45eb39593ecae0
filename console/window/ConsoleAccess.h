// What the console offers assistive technology beyond its controls' own names: the
// response grades as one group named 호응도 whose "no grade" state is no control of its
// own, the statistics tied to their captions, and a call's arrival announced.
#pragma once

#include <span>
#include <string>
#include <vector>

class wxDialog;
class wxRadioButton;
class wxWindow;

// The response-grade group. GTK keeps one member of a radio group on at all times, so
// "no grade" is an eighth member that is in no container: never drawn, never reached
// by the keyboard, not in the accessible tree.
class GradeGroup {
  public:
    static constexpr const char* kName = "호응도";

    GradeGroup() = default;
    ~GradeGroup();
    GradeGroup(const GradeGroup&) = delete;
    GradeGroup& operator=(const GradeGroup&) = delete;

    // Joins the grades (in their order) into the group; once, after they exist.
    void Attach(std::span<wxRadioButton* const> grades);
    // No grade on.
    void ClearSelection();

  private:
    void LimitMembership();

    std::vector<wxRadioButton*> m_grades;
    void* m_none = nullptr;    // GtkRadioButton, owned
    void* m_heading = nullptr; // GtkLabel 호응도, owned
};

// The call time and the day's statistics labelled by their captions.
void LabelConsoleStatistics(wxDialog& console);

// The text a screen reader says when a call comes in from number.
std::string CallAnnouncement(const std::string& number);
// Announces a call from number (shown in the caller field) without moving the focus.
void AnnounceCall(wxWindow* callerField, const std::string& number);

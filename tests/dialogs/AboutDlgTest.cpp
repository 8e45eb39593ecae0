// The About box: its caption from the build date and time, its texts, and closing it.
#include <regex>

#include <gtest/gtest.h>
#include <wx/stattext.h>

#include "dialogs/AboutDlg.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace dlgtest {
namespace {

TEST(AboutDlg, CaptionHasTheBuildDateTheVersionIsShownAndEveryWayCloses) {
    EXPECT_EQ(CAboutDlg::FormatCaption("Apr  5 2018", "20:00:22"),
              "ZELAgent(Apr  5 2018-20:00:22)");
    const std::regex form(
        R"(ZELAgent\((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
        R"(( [1-9]|[12][0-9]|3[01]) [0-9]{4}-([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\))");
    EXPECT_TRUE(std::regex_match(CAboutDlg::Caption(), form)) << CAboutDlg::Caption();

    CAboutDlg dialog; // the template's caption is never seen
    EXPECT_EQ(dialog.GetTitle().utf8_string(), CAboutDlg::Caption());
    std::string first; // the first text is the version
    for (wxWindow* child : dialog.GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child); text && first.empty())
            first = text->GetLabelText().utf8_string();
    EXPECT_EQ(first, "ZELAgent 버전 1.0");
    for (int result : CloseThreeWays<CAboutDlg>(IDOK_BUTTON)) // OK, Escape, close box
        EXPECT_NE(result, kStillOpen);
}

} // namespace
} // namespace dlgtest

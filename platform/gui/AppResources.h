// Resources of res/ in wx form: the program's icon and the string table.
#pragma once

#include <wx/iconbndl.h>
#include <wx/string.h>

namespace platform {

// Icon 128 in all its sizes, for SetIcons of a top-level window.
wxIconBundle LoadAppIcons();

// Icon 128 at the size nearest to size x size pixels.
wxIcon LoadAppIcon(int size = 32);

// A string of the string table (IDS_ABOUTBOX ...); empty for an unknown id.
wxString LoadResString(int id);

} // namespace platform

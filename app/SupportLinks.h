// Where the preferences' support buttons lead. The project keeps one address of each kind here.
#pragma once

namespace linecal {

inline constexpr char kSupportMail[] = "mailto:linecal@example.org?subject=linecal";
inline constexpr char kIssueTracker[] = "https://linecal.example.org/issues";
inline constexpr char kWebPage[] = "https://linecal.example.org/";
// The desktop's software centre, at this program's entry.
inline constexpr char kSoftwareCentre[] = "appstream://linecal.desktop";

}  // namespace linecal

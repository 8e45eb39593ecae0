// The Korean dialog fonts. The templates name 굴림 and 굴림체, which Linux does not
// have; a fontconfig alias maps them (and Gulim / GulimChe) to NanumGothic and
// NanumGothicCoding, with any installed Korean font as the fallback.
#pragma once

#include <string>

namespace platform {

// Loads the aliases into the process's fontconfig configuration and tells Pango to
// reload its font map. Safe to call more than once. Returns false if fontconfig
// refused the configuration (the faces then resolve to fontconfig's defaults).
bool LoadFontAliases();

// The installed family a template face resolves to, e.g. "굴림" -> "NanumGothic".
// When the match has no Korean glyphs, the first installed family that covers Korean;
// when there is none, the match itself.
std::string ResolveFontFace(const std::string& face);

} // namespace platform

// Fontconfig aliases for the templates' Korean faces, and their resolution to an
// installed family.
#include "platform/gui/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <memory>

namespace platform {
namespace {

// Strong bindings so the alias wins over language-based preferences of the system.
constexpr const char kAliases[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <match target="pattern">
    <test name="family"><string>굴림</string></test>
    <edit name="family" mode="assign" binding="strong"><string>NanumGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family" ignore-blanks="true"><string>Gulim</string></test>
    <edit name="family" mode="assign" binding="strong"><string>NanumGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>굴림체</string></test>
    <edit name="family" mode="assign" binding="strong"><string>NanumGothicCoding</string></edit>
  </match>
  <match target="pattern">
    <test name="family" ignore-blanks="true"><string>GulimChe</string></test>
    <edit name="family" mode="assign" binding="strong"><string>NanumGothicCoding</string></edit>
  </match>
</fontconfig>
)";

constexpr FcChar32 kHangulGa = 0xAC00; // '가': a font without it cannot show the texts

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

bool aliasesLoaded = false;

bool CoversHangul(FcPattern* font) {
    FcCharSet* chars = nullptr;
    return FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch &&
           FcCharSetHasChar(chars, kHangulGa);
}

std::string FamilyOf(FcPattern* font) {
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch || !family)
        return {};
    return reinterpret_cast<const char*>(family);
}

// The first installed regular family with Hangul, NanumGothic when present.
std::string AnyKoreanFamily() {
    PatternPtr pattern(FcPatternCreate());
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ko"));
    FcPatternAddLangSet(pattern.get(), FC_LANG, langs);
    FcLangSetDestroy(langs);
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
        FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr));
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()));
    if (!fonts)
        return {};
    std::string first;
    for (int i = 0; i < fonts->nfont; ++i) {
        if (!CoversHangul(fonts->fonts[i]))
            continue;
        std::string family = FamilyOf(fonts->fonts[i]);
        if (family == "NanumGothic")
            return family;
        if (first.empty() || family < first)
            first = family;
    }
    return first;
}

} // namespace

bool LoadFontAliases() {
    if (aliasesLoaded)
        return true;
    FcInit();
    if (!FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(),
                                        reinterpret_cast<const FcChar8*>(kAliases), FcTrue))
        return false;
    aliasesLoaded = true;
    // Pango keeps its own cache of matched patterns: let it see the new rules.
    PangoFontMap* map = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(map))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
    return true;
}

std::string ResolveFontFace(const std::string& face) {
    FcInit();
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (match && CoversHangul(match.get()))
        return FamilyOf(match.get());
    std::string korean = AnyKoreanFamily();
    if (!korean.empty())
        return korean;
    return match ? FamilyOf(match.get()) : face;
}

} // namespace platform

// The calculator's face. The LCD and the keys sit where the window draws the dots and
// annunciators and where it hit-tests mouse clicks; everything else is free design.
#include <algorithm>
#include <array>
#include <string_view>

#include "machine/display.h"
#include "resources/artwork.h"
#include "resources/canvas.h"
#include "resources/pixel_font.h"

namespace tolvan {

namespace {

// ---- palette ----
constexpr Rgb kCaseTop = rgb(64, 66, 72);
constexpr Rgb kCaseBottom = rgb(38, 39, 44);
constexpr Rgb kCaseHighlight = rgb(112, 114, 122);
constexpr Rgb kCaseShadow = rgb(16, 16, 19);
constexpr Rgb kPanelTop = rgb(30, 31, 35);
constexpr Rgb kPanelBottom = rgb(22, 23, 26);
constexpr Rgb kPanelRim = rgb(88, 90, 98);
constexpr Rgb kGlassFrame = rgb(10, 10, 12);
constexpr Rgb kGlassTrimLight = rgb(78, 80, 90);
constexpr Rgb kGlassTrimDark = rgb(52, 54, 60);
constexpr Rgb kGlassEdgeShade = rgb(86, 108, 86);
constexpr Rgb kGlassInnerShade = rgb(97, 121, 97);
constexpr Rgb kPrintedLabel = rgb(178, 182, 190);
constexpr Rgb kLogoInkTop = rgb(236, 238, 242);
constexpr Rgb kLogoInkBottom = rgb(150, 154, 164);
constexpr Rgb kLogoShadow = rgb(8, 8, 10);
constexpr Rgb kTaglineInk = rgb(120, 168, 166);
constexpr Rgb kWhite = rgb(255, 255, 255);
constexpr Rgb kMidGrey = rgb(128, 128, 128);  // the window's key-frame shadow colour
constexpr Rgb kBlack = rgb(0, 0, 0);

constexpr int kCaseGrainSeed = 7;
constexpr int kCaseGrainAmplitude = 3;  // +- per channel
constexpr int kKeyFaceShade = 12;       // face is this much lighter at the top, darker below
constexpr int kDropShadowWeight = 110;  // out of kMixScale
constexpr int kSkirtShade = 110;
constexpr int kCapEdgeShade = 28;  // how much darker a key's front edge is than its top

// ---- LCD (its dot geometry and annunciator places are the face layout's) ----
constexpr Rect kDisplayPanel{4, 5, 375, 100};
constexpr Rect kGlass{49, 26, 310, 62};
constexpr int kGlassFrameWidth = 2;
constexpr int kPanelRadius = 6;
constexpr int kLabelTop = 91;  // the mode labels printed below the glass
constexpr int kLogoLeft = 50;
constexpr int kLogoTop = 11;
constexpr std::u32string_view kTagline = U"POCKET COMPUTER";
constexpr int kTaglineSpacing = 2;

// Shallow wells in the case around each block of keys.
constexpr std::array kKeyWells = {Rect{4, 109, 375, 109}, Rect{383, 5, 214, 86},
                                  Rect{383, 93, 214, 125}};
constexpr int kWellRadius = 5;
constexpr Rgb kWellTop = rgb(44, 45, 50);
constexpr Rgb kWellBottom = rgb(34, 35, 39);
constexpr Rgb kWellShade = rgb(22, 22, 26);
constexpr Rgb kWellLight = rgb(84, 86, 94);

enum class Legend { kText, kMark, kBoxedM, kParentheses, kSignFirst, kSignSecond };

// One for each of kAnnunciators, in the same order.
struct AnnunciatorArt {
    Legend legend;
    std::u32string_view text;  // kText: the word; kMark: the label printed below the glass
};

constexpr std::array kAnnunciatorArt = {
    AnnunciatorArt{Legend::kText, U"BUSY"},  AnnunciatorArt{Legend::kText, U"DEF"},
    AnnunciatorArt{Legend::kText, U"SHIFT"}, AnnunciatorArt{Legend::kText, U"HYP"},
    AnnunciatorArt{Legend::kMark, U"PRO"},   AnnunciatorArt{Legend::kMark, U"RUN"},
    AnnunciatorArt{Legend::kMark, U"CAL"},   AnnunciatorArt{Legend::kText, U"E"},
    AnnunciatorArt{Legend::kBoxedM, U""},    AnnunciatorArt{Legend::kParentheses, U""},
    AnnunciatorArt{Legend::kText, U"RAD"},   AnnunciatorArt{Legend::kText, U"G"},
    AnnunciatorArt{Legend::kText, U"DE"},    AnnunciatorArt{Legend::kMark, U"PRINT"},
    AnnunciatorArt{Legend::kSignFirst, U""}, AnnunciatorArt{Legend::kSignSecond, U""},
    AnnunciatorArt{Legend::kText, U"SML"},   AnnunciatorArt{Legend::kMark, U"STAT"},
};
static_assert(kAnnunciatorArt.size() == kAnnunciators.size());

// Two made-up signs in the style of syllabic script, for the two mode annunciators.
constexpr std::string_view kSignFirst =
    "#######./......#./..#..#../..#.#.../..##..../.#....../#.......";
constexpr std::string_view kSignSecond = "#####/....#/...#./..##./.#.#./#..#./...#.";
constexpr std::string_view kBoxedM = "#######/#.....#/#.#.#.#/#.###.#/#.#.#.#/#.....#/#######";
constexpr std::string_view kParentheses =
    ".#....#./#......#/#......#/#......#/#......#/#......#/.#....#.";

// ---- keys (at the frames of the face layout) ----

struct KeyStyle {
    Rgb face;
    Rgb ink;
};

constexpr KeyStyle kLetterKey{rgb(218, 216, 208), rgb(24, 25, 28)};
constexpr KeyStyle kFunctionKey{rgb(166, 171, 180), rgb(20, 22, 28)};
constexpr KeyStyle kShiftKey{rgb(226, 178, 72), rgb(30, 24, 12)};
constexpr KeyStyle kTealKey{rgb(38, 150, 148), rgb(255, 255, 255)};
constexpr KeyStyle kOperatorKey{rgb(150, 170, 196), rgb(16, 20, 32)};
constexpr KeyStyle kEqualsKey{rgb(228, 132, 60), rgb(28, 16, 8)};

struct KeyLabel {
    std::u32string_view legend;
    KeyStyle style;
};

// How a block letters its keys: the alphabetic block's function words are too long for the
// larger font; the number pad's digits and signs take heavier strokes (its words would blur).
enum class Lettering { kAlphabetic, kPlain, kBold };

// clang-format off
constexpr std::array<KeyLabel, 43> kAlphabeticLabels = {{
    // row 0: three symbol keys, then the arrows down, up, left and right
    {U"CAL", kFunctionKey}, {U"BASIC", kFunctionKey}, {U"BRK", kFunctionKey}, {U"◇", kTealKey},
    {U"○", kTealKey}, {U"△", kTealKey}, {U"↓", kFunctionKey},
    {U"↑", kFunctionKey}, {U"←", kFunctionKey}, {U"→", kFunctionKey},
    {U"SHIFT", kShiftKey},
    {U"SHIFT", kShiftKey}, {U"Q", kLetterKey}, {U"W", kLetterKey}, {U"E", kLetterKey},
    {U"R", kLetterKey}, {U"T", kLetterKey}, {U"Y", kLetterKey}, {U"U", kLetterKey},
    {U"I", kLetterKey}, {U"O", kLetterKey}, {U"P", kLetterKey},
    {U"DEF", kFunctionKey}, {U"A", kLetterKey}, {U"S", kLetterKey}, {U"D", kLetterKey},
    {U"F", kLetterKey}, {U"G", kLetterKey}, {U"H", kLetterKey}, {U"J", kLetterKey},
    {U"K", kLetterKey}, {U"L", kLetterKey}, {U",", kLetterKey},
    {U"SML", kFunctionKey}, {U"Z", kLetterKey}, {U"X", kLetterKey}, {U"C", kLetterKey},
    {U"V", kLetterKey}, {U"B", kLetterKey}, {U"N", kLetterKey}, {U"M", kLetterKey},
    {U"SPC", kFunctionKey}, {U"ENTER", kFunctionKey},
}};

constexpr std::array<KeyLabel, 18> kScientificLabels = {{
    {U"hyp", kFunctionKey}, {U"sin", kFunctionKey}, {U"cos", kFunctionKey}, {U"tan", kFunctionKey},
    {U"F<>E", kFunctionKey}, {U"CCE", kFunctionKey},
    {U"HEX", kFunctionKey}, {U"DEG", kFunctionKey}, {U"ln", kFunctionKey}, {U"log", kFunctionKey},
    {U"1/x", kFunctionKey}, {U"↕", kFunctionKey},
    {U"EXP", kFunctionKey}, {U"yˣ", kFunctionKey}, {U"√", kFunctionKey},
    {U"x²", kFunctionKey}, {U"(", kFunctionKey}, {U")", kFunctionKey},
}};

constexpr std::array<KeyLabel, 20> kNumberPadLabels = {{
    {U"7", kLetterKey}, {U"8", kLetterKey}, {U"9", kLetterKey}, {U"÷", kOperatorKey},
    {U"X>M", kFunctionKey},
    {U"4", kLetterKey}, {U"5", kLetterKey}, {U"6", kLetterKey}, {U"×", kOperatorKey},
    {U"RM", kFunctionKey},
    {U"1", kLetterKey}, {U"2", kLetterKey}, {U"3", kLetterKey}, {U"-", kOperatorKey},
    {U"M+", kFunctionKey},
    {U"0", kLetterKey}, {U"+/-", kLetterKey}, {U".", kLetterKey}, {U"+", kOperatorKey},
    {U"=", kEqualsKey},
}};
// clang-format on

constexpr KeyCode kStatKey = KeyCode::kUpDown;
constexpr int kAboveKeyGap = 2;  // rows between a printed label and the key below it

// ---- drawing ----

int centred(int start, int span, int content) {
    return start + (span - content) / 2;
}

void draw_case_body(Image& image) {
    const Rect whole{0, 0, image.width, image.height};
    vertical_gradient(image, whole, kCaseTop, kCaseBottom);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int grain = texture_noise(x, y, kCaseGrainSeed) % (2 * kCaseGrainAmplitude + 1);
            image.at(x, y) = brighten(image.at(x, y), grain - kCaseGrainAmplitude);
        }
    }
    bevel(image, whole, kCaseHighlight, kCaseShadow);
}

void draw_display_panel(Image& image) {
    const Rect rim{kDisplayPanel.left - 1, kDisplayPanel.top - 1, kDisplayPanel.width + 2,
                   kDisplayPanel.height + 2};
    fill_rounded_rect(image, rim, kPanelRadius + 1, kPanelRim);
    fill_rounded_gradient(image, kDisplayPanel, kPanelRadius, kPanelTop, kPanelBottom);
}

void draw_key_wells(Image& image) {
    for (const Rect& well : kKeyWells) {
        // The lower edge catches the light, the upper one is in the shade.
        fill_rounded_rect(image, {well.left, well.top + 1, well.width, well.height}, kWellRadius,
                          kWellLight);
        fill_rounded_rect(image, {well.left, well.top - 1, well.width, well.height}, kWellRadius,
                          kWellShade);
        fill_rounded_gradient(image, well, kWellRadius, kWellTop, kWellBottom);
    }
}

void draw_glass(Image& image) {
    const Rect frame{kGlass.left - kGlassFrameWidth, kGlass.top - kGlassFrameWidth,
                     kGlass.width + 2 * kGlassFrameWidth, kGlass.height + 2 * kGlassFrameWidth};
    // A fine raised trim around the window's frame catches the light from above.
    const Rect trim{frame.left - 1, frame.top - 1, frame.width + 2, frame.height + 2};
    bevel(image, trim, kGlassTrimLight, kGlassTrimDark);
    fill_rect(image, frame, kGlassFrame);
    fill_rect(image, kGlass, kLcdBackground);
    // The glass lies below its frame, which shades its top and left edges.
    horizontal_line(image, kGlass.left, kGlass.right(), kGlass.top, kGlassEdgeShade);
    vertical_line(image, kGlass.left, kGlass.top, kGlass.bottom(), kGlassEdgeShade);
    horizontal_line(image, kGlass.left + 1, kGlass.right(), kGlass.top + 1, kGlassInnerShade);
    vertical_line(image, kGlass.left + 1, kGlass.top + 1, kGlass.bottom(), kGlassInnerShade);
}

void draw_dots(Image& image) {
    for (int cell = 0; cell < kLcdCells; ++cell) {
        for (int column = 0; column < kColumnsPerCell; ++column) {
            const int x = kLcdLeft + kColumnPitch * (kColumnPlacesPerCell * cell + column);
            for (int row = 0; row < kDotRows; ++row) {
                fill_rect(image, {x, kLcdTop + kDotPitch * row, kDotSize, kDotSize}, kLcdDot);
            }
        }
    }
}

void draw_annunciator(Image& image, const Rect& area, const AnnunciatorArt& item) {
    switch (item.legend) {
        case Legend::kText: {
            const int width = text_width(medium_font(), item.text);
            draw_text(image, medium_font(), centred(area.left, area.width, width), area.top,
                      item.text, kLcdDot);
            break;
        }
        case Legend::kMark: {
            fill_rect(image, area, kLcdDot);
            const int width = text_width(small_font(), item.text);
            draw_text(image, small_font(), centred(area.left, area.width, width), kLabelTop,
                      item.text, kPrintedLabel);
            break;
        }
        case Legend::kBoxedM:
            draw_rows(image, area.left, area.top, kBoxedM, kLcdDot);
            break;
        case Legend::kParentheses:
            draw_rows(image, area.left + 1, area.top, kParentheses, kLcdDot);
            break;
        case Legend::kSignFirst:
            draw_rows(image, area.left, area.top, kSignFirst, kLcdDot);
            break;
        case Legend::kSignSecond:
            draw_rows(image, area.left, area.top, kSignSecond, kLcdDot);
            break;
    }
}

// Text whose colour shades from top to bottom, as if printed in metallic ink.
void draw_shaded_text(Image& image, const Font& font, int x, int y, std::u32string_view text,
                      Rgb top_colour, Rgb bottom_colour) {
    const int width = text_width(font, text);
    Image ink(width, font.cap_height, kBlack);
    draw_text(ink, font, 0, 0, text, kWhite);
    const int span = std::max(1, font.cap_height - 1);
    for (int row = 0; row < ink.height; ++row) {
        const Rgb colour = mix(top_colour, bottom_colour, row * kMixScale / span);
        for (int column = 0; column < ink.width; ++column) {
            if (ink.at(column, row) == kWhite) put_pixel(image, x + column, y + row, colour);
        }
    }
}

void draw_name(Image& image) {
    draw_text(image, logo_font(), kLogoLeft + 1, kLogoTop + 1, U"TOLVAN", kLogoShadow);
    draw_shaded_text(image, logo_font(), kLogoLeft, kLogoTop, U"TOLVAN", kLogoInkTop,
                     kLogoInkBottom);
    Font spaced = small_font();
    spaced.spacing = kTaglineSpacing;
    const int width = text_width(spaced, kTagline);
    const int baseline = kLogoTop + logo_font().cap_height;
    draw_text(image, spaced, kGlass.right() - width + 1, baseline - spaced.cap_height, kTagline,
              kTaglineInk);
}

// Bold lettering draws each character twice, one pixel apart, with one more blank column
// between characters so that they stay apart.
void draw_legend(Image& image, const Rect& key, const KeyLabel& label, Lettering lettering) {
    const bool single = label.legend.size() == 1;
    const bool small = lettering == Lettering::kAlphabetic && !single;
    const bool bold = lettering == Lettering::kBold && single;
    Font font = small ? small_font() : medium_font();
    font.spacing += bold ? 1 : 0;
    const int width = text_width(font, label.legend) + (bold ? 1 : 0);
    const int x = key.left + 1 + (key.width - 1 - width) / 2;
    const int y = key.top + (key.height - font.cap_height + 1) / 2;
    draw_text(image, font, x, y, label.legend, label.style.ink);
    if (bold) draw_text(image, font, x + 1, y, label.legend, label.style.ink);
}

void draw_key(Image& image, const Rect& key, const KeyLabel& label, Lettering lettering) {
    const KeyStyle& style = label.style;
    const int right = key.left + key.width;
    const int bottom = key.top + key.height;
    // Shadow cast on the case, then the key's front edge, then its top.
    blend_rect(image, {key.left + 1, bottom + 2, key.width + 1, 1}, kBlack, kDropShadowWeight);
    blend_rect(image, {right + 1, key.top + 1, 1, key.height + 1}, kBlack, kDropShadowWeight);
    horizontal_line(image, key.left, right, bottom + 1, mix(style.face, kBlack, kSkirtShade));
    put_pixel(image, key.left, bottom + 1, kMidGrey);  // where the pressed frame overshoots
    vertical_gradient(image, {key.left + 1, key.top + 1, key.width - 1, key.height - 1},
                      brighten(style.face, kKeyFaceShade), brighten(style.face, -kKeyFaceShade));
    // The cap is slightly domed: its right and lower borders turn away from the light.
    blend_rect(image, {right - 1, key.top + 1, 1, key.height - 1}, kBlack, kCapEdgeShade);
    blend_rect(image, {key.left + 1, bottom - 1, key.width - 2, 1}, kBlack, kCapEdgeShade);
    // The edges the window's released frame redraws: white top and left, mid grey right and
    // bottom.
    horizontal_line(image, key.left, right - 1, key.top, kWhite);
    vertical_line(image, key.left, key.top, bottom - 1, kWhite);
    vertical_line(image, right, key.top + 1, bottom, kMidGrey);
    horizontal_line(image, key.left, right, bottom, kMidGrey);
    put_pixel(image, right, key.top, mix(style.face, kMidGrey, kMixScale / 2));
    draw_legend(image, key, label, lettering);
}

// The block's keys in the order of their codes; ENTER, the alphabetic block's last key, covers
// the places after it.
template <std::size_t N>
void draw_block(Image& image, const KeyBlock& block, Lettering lettering,
                const std::array<KeyLabel, N>& labels) {
    for (std::size_t index = 0; index < N; ++index) {
        const KeyCode code = key_code(key_number(block.first_code) + static_cast<int>(index));
        draw_key(image, key_frame(code), labels[index], lettering);
    }
}

void draw_keys(Image& image) {
    draw_block(image, kAlphabeticBlock, Lettering::kAlphabetic, kAlphabeticLabels);
    draw_block(image, kScientificBlock, Lettering::kPlain, kScientificLabels);
    draw_block(image, kNumberPad, Lettering::kBold, kNumberPadLabels);

    const Rect stat = key_frame(kStatKey);
    const int width = text_width(small_font(), U"STAT");
    draw_text(image, small_font(), stat.left + 1 + (stat.width - 1 - width) / 2,
              stat.top - kAboveKeyGap - small_font().cap_height, U"STAT", kPrintedLabel);
}

}  // namespace

Image make_case_bitmap() {
    Image image(kClientWidth, kClientHeight);
    draw_case_body(image);
    draw_key_wells(image);
    draw_display_panel(image);
    draw_glass(image);
    draw_dots(image);
    for (std::size_t n = 0; n < kAnnunciators.size(); ++n)
        draw_annunciator(image, kAnnunciators[n].area, kAnnunciatorArt[n]);
    draw_name(image);
    draw_keys(image);
    return image;
}

}  // namespace tolvan

// Reads the text that the demo firmware shows from the headless program's --lcd printout: each
// cell's dots are matched against the firmware's own font in its high ROM image.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tolvan::testing {

// The font: character c's five dot columns at 0x8001 + 8c, that is high ROM offset 1 + 8c.
inline constexpr int kFontOffset = 1;
inline constexpr int kGlyphStride = 8;
inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;
inline constexpr int kLcdCells = 16;
inline constexpr char kFirstChar = 0x20;
inline constexpr char kCursor = 0x7F;  // the blinking block
inline constexpr char kUnknownGlyph = '?';

struct Screen {
    std::string text;          // 16 characters; kUnknownGlyph where no glyph matches
    std::string annunciators;  // the lit legends, as --lcd prints them
};

class LcdReader {
  public:
    explicit LcdReader(const std::string& high_rom) {
        for (int c = kFirstChar; c <= kCursor; ++c) {
            glyphs_[high_rom.substr(kFontOffset + kGlyphStride * c, kGlyphColumns)] =
                static_cast<char>(c);
        }
    }

    // One screen per --lcd printout in the output, in order.
    std::vector<Screen> screens_of(const std::string& out) const {
        std::istringstream lines(out);
        std::vector<Screen> screens;
        std::string row[kGlyphRows];
        while (std::getline(lines, row[0])) {
            for (int r = 1; r < kGlyphRows; ++r)
                std::getline(lines, row[r]);
            Screen screen;
            std::getline(lines, screen.annunciators);
            for (int cell = 0; cell < kLcdCells; ++cell)
                screen.text += char_in(row, cell);
            screens.push_back(screen);
        }
        return screens;
    }

  private:
    char char_in(const std::string (&row)[kGlyphRows], int cell) const {
        std::string columns(kGlyphColumns, '\0');
        for (int column = 0; column < kGlyphColumns; ++column) {
            for (int r = 0; r < kGlyphRows; ++r) {
                const auto at = static_cast<std::size_t>(cell * (kGlyphColumns + 1) + column);
                if (at < row[r].size() && row[r][at] == '#') columns[column] |= 1 << r;
            }
        }
        const auto found = glyphs_.find(columns);
        return found == glyphs_.end() ? kUnknownGlyph : found->second;
    }

    std::map<std::string, char> glyphs_;
};

}  // namespace tolvan::testing

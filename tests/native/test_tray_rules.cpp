#include <doctest/doctest.h>

#include "app/CountdownRules.h"
#include "tray/TrayRules.h"

#include <climits>
#include <string>
#include <utility>
#include <vector>

using Lines = std::vector<std::string>;

namespace {

// Letters of the icons in the order they are asked for: "SMHD" = seconds, minutes, hours, days.
std::string Order(bool xp, bool showTime, int32_t days, int32_t hours) {
    noc::Remaining r;
    r.Days = days;
    r.Hours = hours;
    r.Minutes = 7;
    r.Seconds = 9;
    std::string letters;
    for (noc::TimeIcon icon : noc::TimeIconsToShow(xp, showTime, r)) letters += "SMHD"[static_cast<int>(icon)];
    return letters;
}

}  // namespace

TEST_CASE("text placement in the icon square") {
    SUBCASE("centred on 15, offsets added afterwards") {
        CHECK(noc::CentredPosition(12, 0) == 1);  // «12» 12 px wide
        CHECK(noc::CentredPosition(13, 0) == 1);  // and 13 px high
        CHECK(noc::CentredPosition(15, 0) == 0);
        CHECK(noc::CentredPosition(0, 0) == 7);
        CHECK(noc::CentredPosition(12, -1) == 0);
        CHECK(noc::CentredPosition(12, 3) == 4);
    }
    SUBCASE("wider than the square rounds toward zero") {
        CHECK(noc::CentredPosition(16, 0) == 0);
        CHECK(noc::CentredPosition(17, 0) == -1);
        CHECK(noc::CentredPosition(18, 0) == -1);
        CHECK(noc::CentredPosition(19, 0) == -2);
        CHECK(noc::CentredPosition(18, 2) == 1);
    }
    SUBCASE("block of lines") {
        CHECK(noc::TextBlockTop(1, 13, 0) == 1);
        CHECK(noc::TextBlockTop(2, 13, 0) == -5);  // -11 div 2
        CHECK(noc::TextBlockTop(2, 8, 0) == 0);    // -1 div 2
        CHECK(noc::TextBlockTop(3, 5, 0) == 0);
        CHECK(noc::TextBlockTop(2, 6, 0) == 1);
        CHECK(noc::TextBlockTop(2, 13, 4) == -1);
    }
    SUBCASE("extreme font metrics do not overflow") {
        CHECK(noc::CentredPosition(INT_MIN, 0) == 1073741831);
        CHECK(noc::TextBlockTop(2, INT_MAX, 0) == -2147483639);
        CHECK(noc::CentredPosition(INT_MIN, INT_MAX, 64) == INT_MAX);
    }
    SUBCASE("a larger square centres on its size less one, by the same rule") {
        struct Case {
            int extent, offset, square, position;
        } cases[] = {{12, 0, 24, 5}, {17, 0, 24, 3}, {24, 0, 24, 0}, {26, 0, 24, -1}, {12, -1, 20, 2},
                     {22, 0, 32, 4}, {0, 0, 32, 15}, {33, 5, 32, 4}};
        for (const Case& c : cases) {
            INFO(c.extent, " px, offset ", c.offset, ", square ", c.square);
            CHECK(noc::CentredPosition(c.extent, c.offset, c.square) == c.position);
        }
        CHECK(noc::TextBlockTop(2, 13, 0, 32) == 2);  // (31 - 26) div 2
        CHECK(noc::TextBlockTop(2, 13, 0, 24) == -1);  // (23 - 26) div 2
    }
}

TEST_CASE("the tray's icon size and the lengths scaled to it") {
    SUBCASE("the shell's small-icon size, within 16 and 64 pixels") {
        for (auto [reported, used] : {std::pair{16, 16}, {20, 20}, {24, 24}, {32, 32}, {0, 16}, {-5, 16}, {15, 16},
                                      {64, 64}, {65, 64}, {INT_MAX, 64}}) {
            INFO("reported ", reported);
            CHECK(noc::TrayIconSizeFor(reported) == used);
        }
    }
    SUBCASE("rounded to the nearest, halves away from zero") {
        struct Case {
            int length, square, scaled;
        } cases[] = {{-11, 16, -11}, {-11, 20, -14}, {-11, 24, -17}, {-11, 32, -22}, {-1, 20, -1}, {-1, 24, -2},
                     {3, 20, 4},     {3, 24, 5},     {3, 32, 6},     {0, 24, 0},     {1, 24, 2},  {-1, 16, -1}};
        for (const Case& c : cases) {
            INFO(c.length, " at ", c.square);
            CHECK(noc::ScaleToTrayIcon(c.length, c.square) == c.scaled);
        }
    }
}

TEST_CASE("PlaceText") {
    // 6 pixels a character; 13 high, 2 more for every line feed measured.
    const noc::MeasureText font = [](const std::string& s) {
        int feeds = 0;
        for (char c : s) feeds += c == '\n';
        return noc::TextExtent{6 * static_cast<int>(s.size()), 13 + 2 * feeds};
    };
    const auto at = [](const noc::PlacedLine& l) { return std::to_string(l.x) + "," + std::to_string(l.y); };

    const std::vector<noc::PlacedLine> one = noc::PlaceText("12", font, 0, 0, 0);
    REQUIRE(one.size() == 1);
    CHECK(one[0].text == "12");
    CHECK(at(one[0]) == "1,1");
    CHECK(at(noc::PlaceText("123", font, -2, 3, 9)[0]) == "-3,4");  // no line distance for one line

    // Line height: the text from the first carriage return on ("\r\ncd": 15), plus the distance.
    const std::vector<noc::PlacedLine> two = noc::PlaceText("ab\r\ncd", font, 1, 0, 1);
    REQUIRE(two.size() == 2);
    CHECK(two[1].text == "\ncd");
    CHECK(at(two[0]) == "2,-8");  // top: (15 - 2 x 16) div 2
    CHECK(at(two[1]) == "0,8");
}

TEST_CASE("SplitTextLines") {
    CHECK(noc::SplitTextLines("ab\r\ncd") == Lines{"ab", "\ncd"});
    CHECK(noc::SplitTextLines("12") == Lines{"12"});
    CHECK(noc::SplitTextLines("a\nb") == Lines{"a\nb"});
    CHECK(noc::SplitTextLines("") == Lines{""});
    CHECK(noc::SplitTextLines("a\rb\rc") == Lines{"a", "b", "c"});
    CHECK(noc::SplitTextLines("a\r\rb") == Lines{"a", "", "b"});
    CHECK(noc::SplitTextLines("ab\r") == Lines{"ab", ""});
    CHECK(noc::SplitTextLines("\r") == Lines{"", ""});
}

TEST_CASE("TextFillColor") {
    const uint32_t none = 0x1FFFFFFF, windowText = 0xFF000008, btnFace = 0xFF00000F;
    SUBCASE("none or the font's own colour gives the inverted font RGB") {
        CHECK(noc::TextFillColor(none, windowText, 0x000000) == 0xFFFFFF);
        CHECK(noc::TextFillColor(none, 0x00123456, 0x123456) == 0xEDCBA9);
        CHECK(noc::TextFillColor(0x0000FF00, 0x0000FF00, 0x00FF00) == 0xFF00FF);
        CHECK(noc::TextFillColor(windowText, windowText, 0x000000) == 0xFFFFFF);
    }
    SUBCASE("any other colour is kept, compared by value and not by RGB") {
        CHECK(noc::TextFillColor(btnFace, windowText, 0x000000) == btnFace);
        CHECK(noc::TextFillColor(0x00000000, windowText, 0x000000) == 0x00000000);
        CHECK(noc::TextFillColor(0x00FF0000, 0x000000FF, 0x0000FF) == 0x00FF0000);
    }
}

TEST_CASE("TrayTipText") {
    const std::string long200(200, 'x');
    CHECK(noc::TrayTipText(long200, true) == std::string(127, 'x'));
    CHECK(noc::TrayTipText(std::string(127, 'y'), true) == std::string(127, 'y'));
    CHECK(noc::TrayTipText(std::string(126, 'y') + "ab", true) == std::string(126, 'y') + "a");
    CHECK(noc::TrayTipText("Secondes", true) == "Secondes");
    CHECK(noc::TrayTipText("Secondes", false).empty());
    CHECK(noc::TrayTipText(long200, false).empty());
    CHECK(noc::TrayTipText("", true).empty());
}

TEST_CASE("animation frames") {
    SUBCASE("requested index beyond the list shows the last frame") {
        CHECK(noc::ClampFrameIndex(0, 10) == 0);
        CHECK(noc::ClampFrameIndex(9, 10) == 9);
        CHECK(noc::ClampFrameIndex(10, 10) == 9);
        CHECK(noc::ClampFrameIndex(INT_MAX, 10) == 9);
        CHECK(noc::ClampFrameIndex(5, 1) == 0);
    }
    SUBCASE("a loop runs 0 .. count-1, then starts again") {
        std::vector<int> shown;
        int index = 0;
        for (int step = 0; step < 12; ++step) {
            shown.push_back(index);
            index = noc::NextFrameIndex(index, 10);
        }
        CHECK(shown == std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1});
        CHECK(noc::NextFrameIndex(0, 1) == 0);
    }
}

TEST_CASE("TimeIconsToShow") {
    SUBCASE("Windows XP adds from the right end") {
        CHECK(Order(true, true, 0, 0) == "SM");
        CHECK(Order(true, true, 2, 0) == "SMHD");
        CHECK(Order(true, true, 0, 3) == "SMH");
        CHECK(Order(true, true, 1, 1) == "SMHDH");
    }
    SUBCASE("later systems add from the left end") {
        CHECK(Order(false, true, 0, 0) == "MS");
        CHECK(Order(false, true, 2, 0) == "DHMS");
        CHECK(Order(false, true, 0, 3) == "HMS");
        CHECK(Order(false, true, 1, 1) == "DHHMS");
    }
    SUBCASE("negative counts from the command line add nothing") {
        CHECK(Order(true, true, -1, -2) == "SM");
        CHECK(Order(false, true, -1, -2) == "MS");
    }
    SUBCASE("nothing when the time is not to be shown") {
        CHECK(Order(true, false, 1, 1).empty());
        CHECK(Order(false, false, 1, 1).empty());
    }
}

TEST_CASE("ProgramIconHint") {
    CHECK(noc::ProgramIconHint(true, false, "00", "01", "30", "05") == "Extinction de l'ordinateur...");
    CHECK(noc::ProgramIconHint(true, true, "00", "01", "30", "05") == "Extinction de l'ordinateur...");
    CHECK(noc::ProgramIconHint(false, false, "00", "01", "30", "05") ==
          "Extinction de l'ordinateur dans : 00j01h30m05s");
    CHECK(noc::ProgramIconHint(false, true, "00", "01", "30", "05") ==
          "Extinction de l'ordinateur\r\ndans : 00j01h30m05s");
    CHECK(noc::ProgramIconHint(false, false, "40", "30", "75", "90") ==
          "Extinction de l'ordinateur dans : 40j30h75m90s");
}

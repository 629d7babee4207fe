#include <doctest/doctest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "settings/ColorText.h"
#include "settings/HeldSettings.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"
#include "settings/SettingsTable.h"

using namespace noc;

namespace {

// Message of the conversion error raised for text, or "" when it converts.
std::string ConvertMessage(const std::string& text) {
    try {
        (void)StrToInt(text);
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "";
}

void CheckRejected(const std::string& text) {
    CAPTURE(text);
    CHECK(ConvertMessage(text) == "'" + text + "' is not a valid integer value");
    int32_t out = 1234;
    CHECK_FALSE(TryStrToInt(text, out));
    CHECK(out == 1234);
}

}  // namespace

TEST_CASE("StrToInt reads decimal and hexadecimal text") {
    SUBCASE("decimal with signs and leading zeros") {
        CHECK(StrToInt("0") == 0);
        CHECK(StrToInt("42") == 42);
        CHECK(StrToInt("+42") == 42);
        CHECK(StrToInt("-42") == -42);
        CHECK(StrToInt("-0") == 0);
        CHECK(StrToInt("007") == 7);
    }
    SUBCASE("leading blanks are skipped") {
        CHECK(StrToInt("  12") == 12);
        CHECK(StrToInt("\t12") == 12);
        CHECK(StrToInt(" \t -5") == -5);
        CHECK(StrToInt("\x01\x1F 9") == 9);
    }
    SUBCASE("every hexadecimal prefix, either digit case") {
        CHECK(StrToInt("$1F") == 31);
        CHECK(StrToInt("$1f") == 31);
        CHECK(StrToInt("x1F") == 31);
        CHECK(StrToInt("X1F") == 31);
        CHECK(StrToInt("0x1F") == 31);
        CHECK(StrToInt("0X1f") == 31);
        CHECK(StrToInt("  $aB") == 0xAB);
        CHECK(StrToInt("$000000FF") == 255);
    }
    SUBCASE("sign before a hexadecimal value") {
        CHECK(StrToInt("-$10") == -16);
        CHECK(StrToInt("+$10") == 16);
        CHECK(StrToInt("-0x10") == -16);
        CHECK(StrToInt("-$FFFFFFFF") == 1);
    }
    SUBCASE("32-bit limits") {
        CHECK(StrToInt("2147483647") == INT32_MAX);
        CHECK(StrToInt("-2147483648") == INT32_MIN);
        CHECK(StrToInt("$7FFFFFFF") == INT32_MAX);
        CHECK(StrToInt("$FFFFFFFF") == -1);
        CHECK(StrToInt("$80000000") == INT32_MIN);
        CHECK(StrToInt("$0000000FFFFFFFF") == -1);
        CheckRejected("2147483648");
        CheckRejected("-2147483649");
        CheckRejected("99999999999999999999");
        CheckRejected("$100000000");
        CheckRejected("0x1FFFFFFFF");
    }
    SUBCASE("malformed text is rejected with the offending text in the message") {
        CHECK(ConvertMessage("12a") == "'12a' is not a valid integer value");
        CheckRejected("");
        CheckRejected(" ");
        CheckRejected("12a");
        CheckRejected("0x");
        CheckRejected("$");
        CheckRejected("x");
        CheckRejected("-");
        CheckRejected("+-1");
        CheckRejected("12 ");
        CheckRejected("1.5");
        CheckRejected("$G");
        CheckRejected("1 2");
        CheckRejected("0$1");
    }
    SUBCASE("TryStrToInt writes the value on success") {
        int32_t out = 0;
        REQUIRE(TryStrToInt(" -$10", out));
        CHECK(out == -16);
    }
}

TEST_CASE("IntToStr writes plain decimal") {
    CHECK(IntToStr(0) == "0");
    CHECK(IntToStr(7) == "7");
    CHECK(IntToStr(-30) == "-30");
    CHECK(IntToStr(INT32_MIN) == "-2147483648");
    CHECK(IntToStr(INT64_MAX) == "9223372036854775807");
    CHECK(IntToStr(StrToInt("07")) == "7");
}

TEST_CASE("Colour texts") {
    const auto& table = ColorIdentifiers();

    SUBCASE("table size, ends and named constants") {
        REQUIRE(table.size() == 52);
        CHECK(std::string(table.front().name) == "clBlack");
        CHECK(std::string(table.back().name) == "clWindowText");
        CHECK(TextToColor("clBtnFace") == clBtnFace);
        CHECK(TextToColor("clWindowText") == clWindowText);
        CHECK(TextToColor("clMedGray") == clMedGray);
        CHECK(TextToColor("clNone") == clNone);
        CHECK(TextToColor("clDefault") == clDefault);
        CHECK(TextToColor("clRed") == clRed);
        CHECK(TextToColor("clGray") == 0x00808080u);
        CHECK(TextToColor("clScrollBar") == 0xFF000000u);
        CHECK(TextToColor("clMenuBar") == 0xFF00001Eu);
        CHECK(TextToColor("cl3DDkShadow") == 0xFF000015u);
        CHECK(TextToColor("clSkyBlue") == 0x00F0CAA6u);
    }
    SUBCASE("names and values are all distinct, so every identifier round-trips") {
        std::set<std::string> names;
        std::set<TColor> values;
        for (const ColorIdent& ident : table) {
            CAPTURE(ident.name);
            names.insert(ident.name);
            values.insert(ident.value);
            CHECK(TextToColor(ident.name) == ident.value);
            CHECK(ColorToText(ident.value) == ident.name);
        }
        CHECK(names.size() == table.size());
        CHECK(values.size() == table.size());
    }
    SUBCASE("identifiers read in any letter case") {
        CHECK(TextToColor("CLRED") == clRed);
        CHECK(TextToColor("clred") == clRed);
        CHECK(TextToColor("ClMeDgRaY") == clMedGray);
        TColor c = 0;
        CHECK(TryTextToColor("CL3DLIGHT", c));
        CHECK(c == 0xFF000016u);
    }
    SUBCASE("hexadecimal form both ways") {
        CHECK(TextToColor("$000000FF") == clRed);
        CHECK(ColorToText(TextToColor("$000000FF")) == "clRed");
        CHECK(ColorToText(0x00123456u) == "$00123456");
        CHECK(ColorToText(0x00ABCDEFu) == "$00ABCDEF");
        CHECK(ColorToText(0xFF0000FFu) == "$FF0000FF");
        CHECK(TextToColor("$00123456") == 0x00123456u);
        CHECK(TextToColor("$FF0000FF") == 0xFF0000FFu);
        CHECK(TextToColor("16711680") == 0x00FF0000u);
        CHECK(TextToColor("-1") == 0xFFFFFFFFu);
    }
    SUBCASE("garbage fails") {
        TColor c = 0x00ABCDEF;
        CHECK_FALSE(TryTextToColor("", c));
        CHECK_FALSE(TryTextToColor("clRouge", c));
        CHECK_FALSE(TryTextToColor("clRed ", c));
        CHECK_FALSE(TryTextToColor("cl", c));
        CHECK_FALSE(TryTextToColor("$12345G", c));
        CHECK(c == 0x00ABCDEFu);
        bool thrown = false;
        try {
            (void)TextToColor("Réglage");
        } catch (const EConvertError& e) {
            thrown = true;
            CHECK(std::string(e.what()) == "'Réglage' is not a valid integer value");
        }
        CHECK(thrown);
    }
    SUBCASE("system colour references") {
        CHECK(IsSystemColor(clBtnFace));
        CHECK(SystemColorIndex(clBtnFace) == 15);
        CHECK(IsSystemColor(clWindowText));
        CHECK(SystemColorIndex(clWindowText) == 8);
        CHECK_FALSE(IsSystemColor(clRed));
        CHECK_FALSE(IsSystemColor(clNone));
        CHECK_FALSE(IsSystemColor(clDefault));
        CHECK_FALSE(IsSystemColor(0x00FFFFFFu));
    }
}

TEST_CASE("the digits' colour at start-up: medium grey stands for the default digits") {
    struct Case {
        TColor swatch;
        bool dark;
        TColor digits;
    };
    for (const Case& c : {Case{clMedGray, false, clBlack}, Case{clMedGray, true, clWhite}, Case{clRed, false, clRed},
                          Case{clRed, true, clRed}, Case{clBlack, true, clBlack}, Case{0x00123456, true, 0x00123456}}) {
        CAPTURE(ColorToText(c.swatch));
        CAPTURE(c.dark);
        CHECK(StartDigitColor(c.swatch, c.dark) == c.digits);
    }
}

TEST_CASE("Scrambling") {
    SUBCASE("key") { CHECK(std::string(kScrambleKey) == "730518264"); }
    SUBCASE("known bytes") {
        CHECK(Scramble("A") == "\x39");
        CHECK(Unscramble("\x39") == "A");
        CHECK(Scramble("\xFF") == "\xF7");
        CHECK(Scramble("\x07") == "\xFF");
        CHECK(Scramble("\x09") == "\x01");
    }
    SUBCASE("backspace becomes a zero byte and still round-trips") {
        const std::string s = Scramble("a\bb");
        REQUIRE(s.size() == 3);
        CHECK(s[1] == '\0');
        CHECK(Unscramble(s) == "a\bb");
    }
    SUBCASE("every byte value round-trips and the map is one-to-one") {
        std::string all;
        for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
        const std::string s = Scramble(all);
        REQUIRE(s.size() == 256);
        CHECK(Unscramble(s) == all);
        CHECK(Scramble(Unscramble(all)) == all);
        CHECK(std::set<char>(s.begin(), s.end()).size() == 256);
        for (int c = 0; c < 256; ++c) {
            CAPTURE(c);
            CHECK(static_cast<unsigned char>(s[c]) == ((c + 248) & 0xFF));
        }
    }
    SUBCASE("empty text") {
        CHECK(Scramble("").empty());
        CHECK(Unscramble("").empty());
    }
    SUBCASE("French text with CP1252 bytes") {
        const std::string plain = "Mot de passe é à ç";
        CHECK(Unscramble(Scramble(plain)) == plain);
        CHECK(Scramble(plain) != plain);
    }
}

TEST_CASE("Integrity text and flags") {
    SUBCASE("concatenation order") {
        CHECK(IntegrityText("clRed", 0, 1, 30, 0, "oui", "", "non", "non", "oui") == "clRed01300ouinonnonoui");
        CHECK(IntegrityText("$00123456", 2, 0, 5, 59, "non", "secret", "oui", "oui", "non") ==
              "$0012345620559nonsecretouiouinon");
    }
    SUBCASE("a stored value with leading zero contributes its normalised form") {
        CHECK(IntegrityText("clRed", StrToInt("07"), 0, 0, 0, "", "", "", "", "") == "clRed7000");
        CHECK(IntegrityText("", -1, 0, 0, 0, "", "", "", "", "") == "-1000");
    }
    SUBCASE("IsYes and YesNo") {
        CHECK(IsYes("oui"));
        CHECK_FALSE(IsYes("Oui"));
        CHECK_FALSE(IsYes("OUI"));
        CHECK_FALSE(IsYes("non"));
        CHECK_FALSE(IsYes(""));
        CHECK_FALSE(IsYes("oui "));
        CHECK(std::string(YesNo(true)) == "oui");
        CHECK(std::string(YesNo(false)) == "non");
    }
}

TEST_CASE("Held settings defaults") {
    HeldSettings held;
    CHECK(held.Jours == 0);
    CHECK(held.Heures == 0);
    CHECK(held.Minutes == 0);
    CHECK(held.Secondes == 0);
    CHECK(held.Delai == 20);
    CHECK(held.Couleur.empty());
    CHECK(held.Son.empty());
}

TEST_CASE("the thirteen stored values: one table, two orders, the design texts with their matching check") {
    using noc::Setting;
    std::set<std::string> read, written;
    for (Setting s : noc::kReadOrder) read.insert(noc::NameOf(s));
    for (Setting s : noc::kWriteOrder) written.insert(noc::NameOf(s));
    CHECK(read.size() == noc::kSettingCount);
    CHECK(written == read);
    // The check text is written after every value it covers.
    CHECK(noc::kWriteOrder.back() == Setting::Protection);
    CHECK(std::string(noc::NameOf(noc::kWriteOrder[5])) == "Son");

    const noc::SettingTexts design = noc::DesignTexts();
    CHECK(design[Setting::Couleur] == "clMedGray");
    CHECK(design[Setting::Delai] == "20");
    CHECK(design[Setting::Son] == "Chemin du fichier...");
    CHECK(design[Setting::Protection] == noc::IntegrityText("clMedGray", 0, 0, 0, 0, "non", "", "non", "non", "non"));
    for (Setting s : noc::kReadOrder) {
        CAPTURE(noc::NameOf(s));
        const bool scrambled = s == Setting::MdPasse || s == Setting::Protection;
        CHECK(noc::Info(s).scrambled == scrambled);
        CHECK(noc::StoredForm(s, "abc") == (scrambled ? noc::Scramble("abc") : std::string("abc")));
    }
}

namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    REQUIRE(in.good());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every first group of the pattern's matches.
std::set<std::string> Matches(const std::string& text, const char* pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

}  // namespace

TEST_CASE("the Group Policy files set exactly the values NocTuro reads under its policy key, in both languages") {
    const std::string folder = NOC_SOURCE_DIR "/installer/policy/";
    const std::string admx = FileText(folder + "NocTuro.admx");
    std::set<std::string> read{noc::kNoCancelName, noc::kTargetSettingName};
    for (noc::Setting s : noc::kReadOrder)
        if (noc::Info(s).policy) read.insert(noc::NameOf(s));
    CHECK(Matches(admx, R"re(valueName="([^"]*)")re") == read);
    CHECK(Matches(admx, R"re(key="([^"]*)")re") == std::set<std::string>{noc::kPolicyKeyPath});

    // Each language names every text and presentation the definitions use, and nothing else.
    const std::set<std::string> texts = Matches(admx, R"re(\$\(string\.([^)]*)\))re");
    const std::set<std::string> presentations = Matches(admx, R"re(\$\(presentation\.([^)]*)\))re");
    for (const char* language : {"fr-FR", "en-US"}) {
        CAPTURE(language);
        const std::string adml = FileText(folder + language + "/NocTuro.adml");
        CHECK(Matches(adml, R"re(<string id="([^"]*)")re") == texts);
        CHECK(Matches(adml, R"re(<presentation id="([^"]*)")re") == presentations);
    }
}

TEST_CASE("the rows' places give the orders of reading and writing") {
    std::string read, written;
    for (noc::Setting s : noc::kReadOrder) read += std::string(noc::NameOf(s)) + " ";
    for (noc::Setting s : noc::kWriteOrder) written += std::string(noc::NameOf(s)) + " ";
    CHECK(read ==
          "Couleur Jours Heures Minutes Secondes Chrono MdPasse MdPasseOK Demarrage Alerte Protection Son Delai ");
    CHECK(written ==
          "Couleur Jours Heures Minutes Secondes Son Delai Chrono MdPasseOK MdPasse Demarrage Alerte Protection ");
}

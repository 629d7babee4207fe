#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "settings/IntConvert.h"

using namespace noc;

using Params = std::vector<std::string>;

namespace {

HeldSettings Sample() {
    return HeldSettings{"clBlue", 1, 2, 3, 4, "non", "pw", "non", "oui", "non", "oui", "a.wav", 30};
}

// Every setting held, against what was expected of it.
void CheckHeld(const HeldSettings& h, const HeldSettings& expected) {
    using H = HeldSettings;
    const std::pair<const char*, std::string H::*> texts[] = {
        {"Couleur", &H::Couleur},       {"Chrono", &H::Chrono},
        {"MdPasse", &H::MdPasse},       {"MdPasseOK", &H::MdPasseOK},
        {"Demarrage", &H::Demarrage},   {"Alerte", &H::Alerte},
        {"Protection", &H::Protection}, {"Son", &H::Son}};
    const std::pair<const char*, int32_t H::*> numbers[] = {{"Jours", &H::Jours},
                                                            {"Heures", &H::Heures},
                                                            {"Minutes", &H::Minutes},
                                                            {"Secondes", &H::Secondes},
                                                            {"Delai", &H::Delai}};
    for (const auto& [name, field] : texts) {
        CAPTURE(name);
        CHECK(h.*field == expected.*field);
    }
    for (const auto& [name, field] : numbers) {
        CAPTURE(name);
        CHECK(h.*field == expected.*field);
    }
}

}  // namespace

TEST_CASE("SplitCommandLine") {
    SUBCASE("program only") {
        CHECK(SplitCommandLine("prog") == Params{"prog"});
        CHECK(SplitCommandLine("  prog  ") == Params{"prog"});
        CHECK(SplitCommandLine("").empty());
        CHECK(SplitCommandLine("   ").empty());
    }
    SUBCASE("quoted program path") {
        CHECK(SplitCommandLine("\"C:\\Program Files\\Noc\\noc.exe\" 5") ==
              Params{"C:\\Program Files\\Noc\\noc.exe", "5"});
    }
    SUBCASE("empty quote pairs are skipped like blanks") {
        CHECK(SplitCommandLine("prog \"\" 0 0 5 0") == Params{"prog", "0", "0", "5", "0"});
        CHECK(SplitCommandLine("prog \"\"\"\" a") == Params{"prog", "a"});
        CHECK(SplitCommandLine("prog \"\"") == Params{"prog"});
        CHECK(SplitCommandLine("prog \"\"a") == Params{"prog", "a"});
    }
    SUBCASE("quotes inside a word are removed and may hold blanks") {
        CHECK(SplitCommandLine("prog ab\"c d\"e f") == Params{"prog", "abc de", "f"});
        CHECK(SplitCommandLine("prog a\"\"b") == Params{"prog", "ab"});
        CHECK(SplitCommandLine("prog \" \"") == Params{"prog", " "});
    }
    SUBCASE("an unterminated quote runs to the end") {
        CHECK(SplitCommandLine("prog \"a b  c") == Params{"prog", "a b  c"});
        CHECK(SplitCommandLine("prog x\"y z") == Params{"prog", "xy z"});
        CHECK(SplitCommandLine("prog * \"") == Params{"prog", "*"});  // no empty parameter
        CHECK(SplitCommandLine("prog \"\"\"") == Params{"prog"});
    }
    SUBCASE("tabs and control characters are blanks") {
        CHECK(SplitCommandLine("prog\t1\t\t2\r\n3") == Params{"prog", "1", "2", "3"});
    }
    SUBCASE("high bytes are ordinary characters") {
        const Params p = SplitCommandLine("prog réglage \xA0x \xFF");
        REQUIRE(p.size() == 4);
        CHECK(p[1] == "r\xE9glage");
        CHECK(p[2] == "\xA0x");
        CHECK(p[3] == "\xFF");
    }
}

TEST_CASE("SplitProgramCommandLine: the program's own path at the head is one parameter") {
    const std::string exe = "C:\\Program Files\\NocTuro\\NocTuro.exe";
    struct Case {
        std::string name;
        std::string line;
        std::string path;
        Params expected;
    };
    const Case cases[] = {
        // The path with blanks, unquoted: an old start-up entry, or CreateProcess given it so.
        {"unquoted, alone", exe, exe, {exe}},
        {"unquoted, parameters after it", exe + " * 0 0 5 0", exe, {exe, "*", "0", "0", "5", "0"}},
        {"unquoted, a tab after it", exe + "\t*", exe, {exe, "*"}},
        {"unquoted, blanks after it", exe + "   ", exe, {exe}},
        {"unquoted, blanks before it", "  " + exe + " 5", exe, {exe, "5"}},
        {"unquoted, an empty pair after it", exe + " \"\"", exe, {exe}},
        {"unquoted, quoted parameters after it",
         exe + " * * * * * * * * * \"C:\\Mes sons\\a b.wav\"",
         exe,
         {exe, "*", "*", "*", "*", "*", "*", "*", "*", "*", "C:\\Mes sons\\a b.wav"}},
        {"quoted, alone", "\"" + exe + "\"", exe, {exe}},
        {"quoted, parameters after it", "\"" + exe + "\" clRed 0 1", exe, {exe, "clRed", "0", "1"}},
        {"quoted, an empty pair before it", "\"\"\"" + exe + "\" 5", exe, {exe, "5"}},
        // Windows' file names ignore letter case; the head is kept as written.
        {"other letter case, unquoted",
         "c:\\PROGRAM FILES\\nocturo\\nocturo.EXE 5",
         exe,
         {"c:\\PROGRAM FILES\\nocturo\\nocturo.EXE", "5"}},
        {"other letter case, quoted",
         "\"C:\\program files\\NocTuro\\NOCTURO.exe\" 5",
         exe,
         {"C:\\program files\\NocTuro\\NOCTURO.exe", "5"}},
        {"accented letters in the other case",
         "C:\\\xC9T\xC9 \xC0 \x8Avo\\N.exe 1",
         "C:\\\xE9t\xE9 \xE0 \x9Avo\\n.exe",
         {"C:\\\xC9T\xC9 \xC0 \x8Avo\\N.exe", "1"}},
        // Any other head: the plain split, program first, exactly as before.
        {"relative name", "NocTuro.exe * 0 0 5 0", exe, {"NocTuro.exe", "*", "0", "0", "5", "0"}},
        {"short 8.3 form",
         "C:\\PROGRA~1\\NocTuro\\NocTuro.exe * 0",
         exe,
         {"C:\\PROGRA~1\\NocTuro\\NocTuro.exe", "*", "0"}},
        {"the path followed by more letters", exe + "x 5", exe, {"C:\\Program", "Files\\NocTuro\\NocTuro.exex", "5"}},
        {"the quoted path followed by more letters", "\"" + exe + "\"x 5", exe, {exe + "x", "5"}},
        {"the quoted path unterminated", "\"" + exe + " 5", exe, {exe + " 5"}},
        {"a shorter path than the program's",
         "C:\\Program Files\\NocTuro 5",
         exe,
         {"C:\\Program", "Files\\NocTuro", "5"}},
        {"the path later on the line", "prog " + exe, exe, {"prog", "C:\\Program", "Files\\NocTuro\\NocTuro.exe"}},
        {"empty command line", "", exe, {}},
        {"blank command line", "   ", exe, {}},
        {"path unknown", "C:\\a b.exe 5", "", {"C:\\a", "b.exe", "5"}},
        {"path without blanks", "C:\\NocTuro.exe * 5", "C:\\NocTuro.exe", {"C:\\NocTuro.exe", "*", "5"}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(SplitProgramCommandLine(c.line, c.path) == c.expected);
    }
}

TEST_CASE("the program's path with blanks, quoted or not: no parameter of its own, the colour kept") {
    const std::string exe = "C:\\Program Files\\NocTuro\\NocTuro.exe";
    struct Case {
        std::string name;
        std::string line;
        const char* flag;
        const char* colour;
    };
    const Case cases[] = {
        {"unquoted entry", exe, "", "clBlue"},
        {"quoted entry", "\"" + exe + "\"", "", "clBlue"},
        {"unquoted with parameters", exe + " clRed 0 0 5 0", "oui", "clRed"},
        {"quoted with parameters", "\"" + exe + "\" * 0 0 5 0", "oui", "clBlue"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const Params params = SplitProgramCommandLine(c.line, exe);
        CHECK(StartedWithParametersFlag(params) == c.flag);
        HeldSettings h = Sample();
        CHECK(ApplyCommandLine(params, h).empty());
        CHECK(h.Couleur == c.colour);
    }
}

TEST_CASE("ParamStr and started-with-parameters flag") {
    const Params p = SplitCommandLine("prog a");
    CHECK(ParamStr(p, 0) == "prog");
    CHECK(ParamStr(p, 1) == "a");
    CHECK(ParamStr(p, 2).empty());
    CHECK(ParamStr(p, 100).empty());
    CHECK(ParamStr(Params{}, 0).empty());

    CHECK(StartedWithParametersFlag(SplitCommandLine("prog")) == "");
    CHECK(StartedWithParametersFlag(SplitCommandLine("prog *")) == "oui");
    CHECK(StartedWithParametersFlag(SplitCommandLine("prog \"\"")) == "");
    CHECK(StartedWithParametersFlag(SplitCommandLine("prog \"\" 5")) == "oui");
}

TEST_CASE("ApplyCommandLine: each parameter given replaces its setting, the others are kept") {
    struct Case {
        const char* name;
        std::string line;
        void (*change)(HeldSettings&);  // from Sample()
    };
    const Case cases[] = {
        // The empty pair is skipped, so the values shift onto positions 1..4.
        {"dial values only", "prog \"\" 0 0 5 0",
         [](HeldSettings& h) { h.Couleur = "0", h.Jours = 0, h.Heures = 5, h.Minutes = 0; }},
        // Demarrage and Protection are not reachable from the command line.
        {"every position", "prog clRed 7 8 9 10 oui secret oui oui b.wav 45",
         [](HeldSettings& h) {
             h.Couleur = "clRed", h.Jours = 7, h.Heures = 8, h.Minutes = 9, h.Secondes = 10, h.Chrono = "oui";
             h.MdPasse = "secret", h.MdPasseOK = "oui", h.Alerte = "oui", h.Son = "b.wav", h.Delai = 45;
         }},
        {"nine stars then a quoted sound path", "prog * * * * * * * * * \"C:\\Mes sons\\bip.wav\"",
         [](HeldSettings& h) { h.Son = "C:\\Mes sons\\bip.wav"; }},
        {"parameters after the twelfth are ignored", "prog * * * * * * * * * * 50 * xyz 99",
         [](HeldSettings& h) { h.Delai = 50; }},
        {"an x prefix reads as hexadecimal", "prog * * x3 xA", [](HeldSettings& h) { h.Heures = 3, h.Minutes = 10; }},
        {"high byte inside a text parameter", "prog * * * * * * mötdepasse",
         [](HeldSettings& h) { h.MdPasse = "m\xF6tdepasse"; }},
        {"no parameters leaves everything", "prog", [](HeldSettings&) {}},
        // A twelfth parameter, a clock time, takes the place of the four time positions.
        {"with a twelfth, the four time positions are not read",
         "prog clRed 7 8 9 10 oui secret oui oui b.wav 45 23:50",
         [](HeldSettings& h) {
             h.Couleur = "clRed", h.Chrono = "oui", h.MdPasse = "secret", h.MdPasseOK = "oui", h.Alerte = "oui";
             h.Son = "b.wav", h.Delai = 45;
         }},
        {"without them (stars)", "prog * * * * * oui * * * * * 7:05", [](HeldSettings& h) { h.Chrono = "oui"; }},
        // Not read at all: nothing to report about them.
        {"time positions that are no numbers", "prog * x y z w * * * * * * 7:05", [](HeldSettings&) {}},
        // A star is no time: the four positions count as before.
        {"a star in its place", "prog * 0 1 30 0 * * * * * * *",
         [](HeldSettings& h) { h.Jours = 0, h.Heures = 1, h.Minutes = 30, h.Secondes = 0; }},
        // Read only once the caller has refused a twelfth that is no time; the positions are
        // skipped all the same.
        {"no time", "prog clRed 7 8 9 10 * * * * * * 24:00", [](HeldSettings& h) { h.Couleur = "clRed"; }},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        HeldSettings h = Sample();
        CHECK(ApplyCommandLine(SplitCommandLine(c.line), h).empty());
        HeldSettings expected = Sample();
        c.change(expected);
        CheckHeld(h, expected);
    }
    HeldSettings h = Sample();
    CHECK(ApplyCommandLine(Params{}, h).empty());
    CheckHeld(h, Sample());
}

TEST_CASE("ApplyCommandLine") {
    SUBCASE("only an exact star keeps a setting") {
        HeldSettings h = Sample();
        ApplyCommandLine(Params{"prog", "**", "*", "*", "*", "*", "* "}, h);
        CHECK(h.Couleur == "**");
        CHECK(h.Jours == 1);
        CHECK(h.Chrono == "* ");
        // A star with a blank in front is a number like any other, and not a valid one.
        CHECK(ApplyCommandLine(Params{"prog", "*", "*", " *"}, h) ==
              std::vector<std::string>{"' *' is not a valid integer value"});
        CHECK(h.Heures == 2);
    }
    SUBCASE("delay is taken raw, hex and negatives included") {
        HeldSettings h = Sample();
        ApplyCommandLine(SplitCommandLine("prog * * * * * * * * * * -5"), h);
        CHECK(h.Delai == -5);
        ApplyCommandLine(SplitCommandLine("prog * $10 * * * * * * * * 1000"), h);
        CHECK(h.Jours == 16);
        CHECK(h.Delai == 1000);
    }
    SUBCASE("a bad number keeps its setting and is told; every other position still applies") {
        HeldSettings h = Sample();
        CHECK(ApplyCommandLine(SplitCommandLine("prog clRed 2 3x 4 5 oui"), h) ==
              std::vector<std::string>{"'3x' is not a valid integer value"});
        CHECK(h.Couleur == "clRed");
        CHECK(h.Jours == 2);
        CHECK(h.Heures == 2);
        CHECK(h.Minutes == 4);
        CHECK(h.Secondes == 5);
        CHECK(h.Chrono == "oui");
    }
    SUBCASE("every parameter a non-number: each bad number told in position order, texts taken") {
        HeldSettings h = Sample();
        const HeldSettings before = h;
        CHECK(ApplyCommandLine(SplitCommandLine("prog a b c d e f g h i j k"), h) ==
              std::vector<std::string>{"'b' is not a valid integer value", "'c' is not a valid integer value",
                                       "'d' is not a valid integer value", "'e' is not a valid integer value",
                                       "'k' is not a valid integer value"});
        CHECK(h.Jours == before.Jours);
        CHECK(h.Heures == before.Heures);
        CHECK(h.Minutes == before.Minutes);
        CHECK(h.Secondes == before.Secondes);
        CHECK(h.Delai == before.Delai);
        CHECK(h.Couleur == "a");
        CHECK(h.Chrono == "f");
        CHECK(h.MdPasse == "g");
        CHECK(h.MdPasseOK == "h");
        CHECK(h.Alerte == "i");
        CHECK(h.Son == "j");
    }
    SUBCASE("a command line of 32 000 characters") {
        HeldSettings h = Sample();
        const std::string password(15000, 'p'), sound = "C:\\" + std::string(16000, 's') + ".wav";
        const std::string line = "prog * 0 1 0 0 * " + password + " * * \"" + sound + "\" 45";
        REQUIRE(line.size() > 31000);
        CHECK(ApplyCommandLine(SplitCommandLine(line), h).empty());
        CHECK(h.MdPasse == password);
        CHECK(h.Son == sound);
        CHECK(h.Heures == 1);
        CHECK(h.Delai == 45);
    }
}

TEST_CASE("ReadEndTime: the twelfth parameter, a clock time, given unless absent or a star") {
    struct Case {
        std::string name;
        std::string line;
        bool given, valid;
        std::string text;
        int32_t hour, minute;
    };
    const Case cases[] = {
        {"absent", "prog * 0 1 30 0 * * * * * 30", false, false, "", 0, 0},
        {"no parameters", "prog", false, false, "", 0, 0},
        {"a star", "prog * * * * * * * * * * * *", false, false, "*", 0, 0},
        {"a time", "prog * * * * * * * * * * * 23:50", true, true, "23:50", 23, 50},
        {"one digit of hours", "prog * * * * * * * * * * * 7:05", true, true, "7:05", 7, 5},
        {"midnight", "prog * * * * * * * * * * * 00:00", true, true, "00:00", 0, 0},
        {"in quotes", "prog * * * * * * * * * * * \"23:50\"", true, true, "23:50", 23, 50},
        {"24:00", "prog * * * * * * * * * * * 24:00", true, false, "24:00", 0, 0},
        {"7:5x", "prog * * * * * * * * * * * 7:5x", true, false, "7:5x", 0, 0},
        {"12:60", "prog * * * * * * * * * * * 12:60", true, false, "12:60", 0, 0},
        {"a blank inside quotes", "prog * * * * * * * * * * * \"12: 30\"", true, false, "12: 30", 0, 0},
        {"two stars", "prog * * * * * * * * * * * **", true, false, "**", 0, 0},
        // An empty pair is skipped like a blank: no empty twelfth parameter can be given.
        {"an empty pair", "prog * * * * * * * * * * * \"\"", false, false, "", 0, 0},
        {"the thirteenth and on are ignored", "prog * * * * * * * * * * * 6:30 xyz 99", true, true, "6:30", 6, 30},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const EndTimeParameter end = ReadEndTime(SplitCommandLine(c.line));
        CHECK(end.given == c.given);
        CHECK(end.valid == c.valid);
        CHECK(end.text == c.text);
        if (c.valid) {
            CHECK(end.time.Hour == c.hour);
            CHECK(end.time.Minute == c.minute);
        }
    }
}

TEST_CASE("ApplyCommandLine: with a twelfth parameter, a number that does not convert elsewhere is still told") {
    HeldSettings h = Sample();
    CHECK(ApplyCommandLine(SplitCommandLine("prog * x * * * * * * * * 4y 23:50"), h) ==
          std::vector<std::string>{"'4y' is not a valid integer value"});
    CheckHeld(h, Sample());
}

TEST_CASE("ReadEndActionParameter: the thirteenth parameter, an action's short name, given unless absent or a star") {
    using noc::EndAction;
    const struct {
        const char* text;
        bool given, valid;
        EndAction action;
    } cases[] = {
        {"eteindre", true, true, EndAction::Shutdown}, {"redemarrer", true, true, EndAction::Restart},
        {"veille", true, true, EndAction::Sleep},      {"veilleprolongee", true, true, EndAction::Hibernate},
        {"session", true, true, EndAction::LogOff},    {"verrouiller", true, true, EndAction::Lock},
        {"*", false, false, EndAction::Shutdown},      {"", false, false, EndAction::Shutdown},
        {"Veille", true, false, EndAction::Shutdown},  {"dormir", true, false, EndAction::Shutdown},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        std::vector<std::string> params{"NocTuro.exe", "*", "0", "0", "5", "0", "*", "*", "*", "*", "*", "*", "*"};
        params.emplace_back(c.text);
        const noc::EndActionParameter p = noc::ReadEndActionParameter(params);
        CHECK(p.given == c.given);
        CHECK(p.valid == c.valid);
        CHECK(p.action == c.action);
    }
    CHECK_FALSE(noc::ReadEndActionParameter({"NocTuro.exe", "*"}).given);
    CHECK(noc::BadActionParameterText("dormir") ==
          "Le treizième paramètre, « dormir »,\r\nn'est pas une action connue !\r\nDonnez eteindre, redemarrer, "
          "veille,\r\nveilleprolongee, session ou verrouiller.\r\n\r\nLa ligne de commande est ignorée :\r\naucun "
          "compte à rebours n'est lancé.");
}

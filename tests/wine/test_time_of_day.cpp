// A clock time to end at: the set-up panel's "À heure fixe..." prompt and the command line's twelfth
// parameter, on a clock that the test sets through the seam, with the prompt answered and the
// message boxes recorded.
#include <doctest/doctest.h>

#include <memory>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "app/TimeOfDay.h"

using namespace testing;
using noc::TForm2;

namespace {

constexpr int64_t kHour = 3600;

// The clock's count (seconds since 1601) of that date and time, as UTC.
int64_t Seconds(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    SYSTEMTIME t{};
    t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s;
    FILETIME f{};
    REQUIRE(SystemTimeToFileTime(&t, &f));
    return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000000;
}

// The program's clock stopped where the local wall clock shows that time of day, in a zone an
// hour ahead of UTC.
void SetWallClock(SeamRecorder& rec, WORD h, WORD mi, WORD s) {
    const int64_t utc = Seconds(2024, 5, 14, h, mi, s) - kHour;
    rec.clockNow = [utc] { return utc; };
    rec.localOffset = [](int64_t) { return kHour; };
}

// The prompt answered with these texts, one per question, then cancelled.
void Answer(SeamRecorder& rec, std::vector<std::string> texts) {
    rec.inputAnswer = [texts, next = size_t{0}](std::string& value) mutable {
        if (next == texts.size()) return false;
        value = texts[next++];
        return true;
    };
}

std::string CountersOf(const TForm2& f) {
    return noc::TwoDigits(f.Counters.Days) + ":" + noc::TwoDigits(f.Counters.Hours) + ":" +
           noc::TwoDigits(f.Counters.Minutes) + ":" + noc::TwoDigits(f.Counters.Seconds);
}

// The window as a plain start shows it, from stored settings, with the seam recorded.
struct ShownForm : CountingForm {
    ShownForm() {
        form->Show();
        rec.Clear();
    }
};

const char kTooShort[] =
    "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour "
    "annuler\r\nl'extinction automatique de l'ordinateur.";

}  // namespace

TEST_CASE_FIXTURE(ShownForm, "\"À heure fixe...\" puts the time until then on the dial, to the second") {
    SetDial(*form, 0, 1, 2, 3);

    struct Case {
        std::string name;
        WORD h, mi, s;
        std::string typed, dial;
    } const cases[] = {
        {"later the same hour", 23, 41, 17, "23:50", "00:00:08:43"},
        {"the minute that runs now: tomorrow's", 23, 41, 17, "23:41", "00:23:59:43"},
        {"the minute just begun: a whole day", 23, 41, 0, "23:41", "01:00:00:00"},
        {"across midnight, one digit of hours", 23, 41, 17, "0:05", "00:00:23:43"},
        {"earlier in the day: tomorrow's", 9, 0, 30, "8:30", "00:23:29:30"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        rec.Clear();
        SetWallClock(rec, c.h, c.mi, c.s);
        Answer(rec, {c.typed});
        form->Image13Click(form->Image13);
        const auto dialogs = rec.Dialogs();
        REQUIRE(dialogs.size() == 1);
        CHECK(dialogs[0].text == "À heure fixe");
        CHECK(dialogs[0].caption == "Heure de l'extinction (HH:MM) :");
        CHECK(rec.Boxes().empty());
        CHECK(rec.Beeps().empty());
        CHECK(Dial(*form) == c.dial);
        // Only the dial: the switch starts, as ever.
        CHECK_FALSE(form->Chronos1->Enabled());
        CHECK(IsWindowVisible(form->Handle()));
    }
    // The next question offers the time last taken.
    rec.offered.clear();
    form->Image13Click(form->Image13);
    CHECK(rec.offered == std::vector<std::string>{"8:30"});

    // The switch starts from the dial so filled.
    SetWallClock(rec, 23, 41, 17);
    Answer(rec, {"23:50"});
    form->Image13Click(form->Image13);
    rec.Clear();
    form->MyImage1Click(form->MyImage1);
    CHECK(rec.calls.empty());
    REQUIRE(form->Chronos1->Enabled());
    CHECK(CountersOf(*form) == "00:00:08:43");
    CHECK_FALSE(IsWindowVisible(form->Handle()));

    // While it counts, the dial keeps the time it started with.
    Answer(rec, {"12:00"});
    form->Image13Click(form->Image13);
    CHECK(rec.Dialogs().empty());
    CHECK(Dial(*form) == "00:00:08:43");
    form->Chronos1->SetEnabled(false);
}

TEST_CASE_FIXTURE(ShownForm, "what is no time is told, and asked again with what was typed") {
    SetWallClock(rec, 23, 41, 17);
    SetDial(*form, 0, 1, 2, 3);

    SUBCASE("then cancelled: the dial stays as it was") {
        Answer(rec, {"24:00", "7:5x", "12:60", ""});
        form->Image13Click(form->Image13);
        CHECK(rec.offered == std::vector<std::string>{"", "24:00", "7:5x", "12:60", ""});
        const auto boxes = rec.Boxes();
        REQUIRE(boxes.size() == 4);
        const char* const typed[] = {"24:00", "7:5x", "12:60", ""};
        for (size_t i = 0; i < boxes.size(); ++i) {
            CAPTURE(i);
            CHECK(boxes[i].text == noc::BadClockTimeText(typed[i]));
            CHECK(boxes[i].caption == "Information");
            CHECK((boxes[i].flags & MB_ICONINFORMATION) == MB_ICONINFORMATION);
        }
        // A beep before each box, each box before the next question.
        std::string order;
        for (const RecordedCall& c : rec.calls)
            order += c.kind == RecordedCall::Beep ? 'b' : c.kind == RecordedCall::Box ? 'm' : 'q';
        CHECK(order == "qbmqbmqbmqbmq");
        CHECK(rec.Dialogs().size() == 5);
        CHECK(Dial(*form) == "00:01:02:03");
        CHECK(noc::BadClockTimeText("7:5x") ==
              "« 7:5x » n'est pas une heure valide !\r\nTapez l'heure sous la forme HH:MM,\r\n"
              "de 00:00 à 23:59 (par exemple 23:30).");
    }
    SUBCASE("then put right: the dial filled") {
        Answer(rec, {"7:5", "23:50"});
        form->Image13Click(form->Image13);
        CHECK(rec.offered == std::vector<std::string>{"", "7:5"});
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text == noc::BadClockTimeText("7:5"));
        CHECK(Dial(*form) == "00:00:08:43");
    }
    SUBCASE("cancelled at once: nothing at all") {
        form->Image13Click(form->Image13);
        CHECK(rec.Dialogs().size() == 1);
        CHECK(rec.Boxes().empty());
        CHECK(rec.Beeps().empty());
        CHECK(Dial(*form) == "00:01:02:03");
    }
    CHECK_FALSE(form->Chronos1->Enabled());
}

TEST_CASE_FIXTURE(ShownForm, "the dial's rules still hold: ten seconds ahead is too short for the switch") {
    SetWallClock(rec, 23, 49, 50);
    Answer(rec, {"23:50"});
    form->Image13Click(form->Image13);
    CHECK(Dial(*form) == "00:00:00:10");
    rec.Clear();
    form->MyImage1Click(form->MyImage1);
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == kTooShort);
    CHECK_FALSE(form->Chronos1->Enabled());
}

TEST_CASE("the twelfth parameter starts the countdown until that time") {
    StoredSettings s;
    s.Jours = 2, s.Heures = 3, s.Minutes = 4, s.Secondes = 5;
    s.Write();
    SeamRecorder rec;
    SetWallClock(rec, 23, 41, 17);
    std::string line = "NocTuro.exe * * * * * * * * * * * 23:50", dial = "00:00:08:43";
    SUBCASE("in place of the four time positions") {}
    SUBCASE("the four time positions given too are not read") { line = "NocTuro.exe clRed 1 x 3 4 * * * * * * 23:50"; }
    SUBCASE("across midnight") {
        line = "NocTuro.exe * * * * * * * * * * * 1:15";
        dial = "00:01:33:43";
    }
    SUBCASE("its minute just begun: a whole day") {
        SetWallClock(rec, 23, 50, 0);
        dial = "01:00:00:00";
    }
    SUBCASE("ten seconds ahead: no minimum from the command line") {
        SetWallClock(rec, 23, 49, 50);
        dial = "00:00:00:10";
    }
    RunningProgram run(line);
    TForm2& form = *run.form;
    CHECK(rec.calls.empty());
    CHECK_FALSE(form.CommandLineRefused());
    REQUIRE(form.Chronos1->Enabled());
    CHECK(CountersOf(form) == dial);
    CHECK(Dial(form) == dial);
    CHECK_FALSE(IsWindowVisible(form.Handle()));
    // Not stored for now; the next close stores the dial, as for any parameters.
    CHECK(noc::ReadSetting("Jours") == "2");
    CHECK(noc::ReadSetting("Secondes") == "5");
}

TEST_CASE("a twelfth parameter that is no time: told, and nothing of the command line applies") {
    StoredSettings s;
    s.Couleur = "clBlue";
    s.Minutes = 5;
    s.Chrono = "non", s.MdPasse = "avant", s.MdPasseOK = "non", s.Alerte = "non";
    s.Demarrage = "oui";  // no countdown starts by itself either
    s.Delai = 30;
    s.Write();
    SeamRecorder rec;
    SetWallClock(rec, 23, 41, 17);
    std::string bad = "24:00", head = "clRed 0 1 30 0";
    SUBCASE("24:00") {}
    SUBCASE("7:5x") { bad = "7:5x"; }
    SUBCASE("12:60") { bad = "12:60"; }
    SUBCASE("7:5") { bad = "7:5"; }
    SUBCASE("in quotes, with a blank") { bad = "12: 30"; }
    SUBCASE("time positions that are no numbers: not even read") {
        bad = "7h30";
        head = "clRed x y z w";
    }
    const std::string given = bad.find(' ') == std::string::npos ? bad : "\"" + bad + "\"";
    RunningProgram run("NocTuro.exe " + head + " oui apres oui oui C:\\b.wav 45 " + given);
    TForm2& form = *run.form;

    REQUIRE(rec.calls.size() == 2);
    CHECK(rec.calls[0].kind == RecordedCall::Beep);
    CHECK(rec.calls[1].kind == RecordedCall::Box);
    CHECK(rec.calls[1].caption == "Information");
    CHECK(rec.calls[1].text == noc::BadEndTimeParameterText(bad));
    CHECK(rec.calls[1].text.find("« " + bad + " »") != std::string::npos);
    CHECK(form.CommandLineRefused());
    CHECK_FALSE(form.SetupFailed());

    // No countdown; the window shows the stored settings.
    CHECK_FALSE(form.Chronos1->Enabled());
    CHECK(IsWindowVisible(form.Handle()));
    CHECK(form.TabControl1->Visible());
    CHECK(Dial(form) == "00:00:05:00");
    CHECK(form.Shape1->BrushColor() == 0x00FF0000u);  // clBlue
    CHECK_FALSE(form.CheckBox1->Checked());
    CHECK_FALSE(form.CheckBox3->Checked());
    CHECK_FALSE(form.CheckBox4->Checked());
    CHECK(form.CheckBox2->Checked());
    CHECK(form.Edit1->Text() == "avant");
    CHECK(form.TrackBar1->Position() == 30);
    CHECK(form.Held.Son == s.Son);

    // Nothing of it stored either: the close stores what was stored.
    rec.Clear();
    run.Quit();
    CHECK(rec.Boxes().empty());
    CHECK(noc::ReadSetting("Couleur") == "clBlue");
    CHECK(noc::ReadSetting("Jours") == "0");
    CHECK(noc::ReadSetting("Heures") == "0");
    CHECK(noc::ReadSetting("Minutes") == "5");
    CHECK(noc::ReadSetting("Secondes") == "0");
    CHECK(noc::ReadSetting("Chrono") == "non");
    CHECK(noc::ReadScrambledSetting("MdPasse") == "avant");
    CHECK(noc::ReadSetting("MdPasseOK") == "non");
    CHECK(noc::ReadSetting("Alerte") == "non");
    CHECK(noc::ReadSetting("Son") == s.Son);
    CHECK(noc::ReadSetting("Delai") == "30");
}

TEST_CASE("the program's clock reads the system's local time") {
    noc::SystemSeam real;
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const int64_t now = real.UtcSecondsNow();
    GetLocalTime(&after);
    const int64_t wall = (now + real.LocalOffsetAt(now)) % 86400;
    auto secondOfDay = [](const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; };
    const int64_t first = secondOfDay(before), last = secondOfDay(after);
    CAPTURE(wall);
    CAPTURE(first);
    CAPTURE(last);
    CHECK((first <= last ? first <= wall && wall <= last : wall >= first || wall <= last));

    // Now, as the file times count it.
    FILETIME f{};
    GetSystemTimeAsFileTime(&f);
    const int64_t system =
        static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000000;
    CHECK(system - now >= 0);
    CHECK(system - now <= 1);

    // The zone's offset, the same at any second of an hour without a change.
    CHECK(real.LocalOffsetAt(now) % 60 == 0);
    CHECK(real.LocalOffsetAt(now) == real.LocalOffsetAt(now - now % 3600));
}

TEST_CASE_FIXTURE(ShownForm, "over a change of daylight saving time, in the system's own time zone") {
    // The system's own offsets, as the program reads them (run again with TZ=Europe/Paris).
    noc::SystemSeam real;
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_UNKNOWN || zone.DaylightDate.wMonth == 0) {
        MESSAGE("this time zone has no daylight saving time");
        return;
    }
    // The year's changes, hour by hour, then to the second.
    std::vector<int64_t> changes;
    const int64_t year = Seconds(2024, 1, 1, 0, 0, 0), end = Seconds(2025, 1, 1, 0, 0, 0);
    for (int64_t t = year; t < end; t += kHour) {
        if (real.LocalOffsetAt(t) == real.LocalOffsetAt(t + kHour)) continue;
        int64_t before = t, after = t + kHour;
        while (after - before > 1) {
            const int64_t middle = (before + after) / 2;
            (real.LocalOffsetAt(middle) == real.LocalOffsetAt(t) ? before : after) = middle;
        }
        changes.push_back(after);
    }
    REQUIRE(changes.size() == 2);
    for (const int64_t change : changes) {
        const int64_t shift = real.LocalOffsetAt(change) - real.LocalOffsetAt(change - 1);
        CAPTURE(shift);
        REQUIRE(shift != 0);
        REQUIRE(shift > -5400);
        REQUIRE(shift < 5400);
        // Half an hour before the change, a time two hours later on the wall clock: two hours less
        // the change in real seconds (one hour in spring, three in autumn for a change of an hour).
        const int64_t now = change - 1800;
        const int64_t wall = (now + real.LocalOffsetAt(now)) % 86400 + 2 * kHour;
        const noc::ClockTime then{static_cast<int32_t>(wall / kHour % 24), static_cast<int32_t>(wall % kHour / 60)};
        rec.clockNow = [now] { return now; };
        Answer(rec, {noc::ClockTimeText(then)});
        form->Image13Click(form->Image13);
        CHECK(Dial(*form) == noc::TwoDigits(0) + ":" + noc::TwoDigits(static_cast<int32_t>((7200 - shift) / kHour)) +
                                 ":" + noc::TwoDigits(static_cast<int32_t>((7200 - shift) % kHour / 60)) + ":00");
    }
}

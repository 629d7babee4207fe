#include <doctest/doctest.h>

#include "app/CountdownRules.h"
#include "app/ShutdownRules.h"

#include <cstdint>
#include <string>

namespace {

// GetVersion() layout: major in the low byte, minor in the next, build number in the high word.
uint32_t Version(uint32_t major, uint32_t minor, uint32_t build = 0) { return major | (minor << 8) | (build << 16); }

constexpr uint32_t kPlatformWindows = 1;
constexpr uint32_t kPlatformNT = 2;

}  // namespace

TEST_CASE("VersionKey joins major and minor as decimal text") {
    CHECK(noc::VersionKey(Version(5, 1)) == 51);
    CHECK(noc::VersionKey(Version(5, 0)) == 50);
    CHECK(noc::VersionKey(Version(4, 10)) == 410);
    CHECK(noc::VersionKey(Version(4, 90)) == 490);
    CHECK(noc::VersionKey(Version(3, 51)) == 351);
    CHECK(noc::VersionKey(Version(4, 0)) == 40);
    CHECK(noc::VersionKey(Version(10, 0)) == 100);
    CHECK(noc::VersionKey(Version(255, 255)) == 255255);
    SUBCASE("build number in the high word is ignored") {
        CHECK(noc::VersionKey(Version(5, 1, 2600)) == 51);
        CHECK(noc::VersionKey(Version(4, 10, 0xFFFF)) == 410);
    }
}

TEST_CASE("WindowsVersionName") {
    SUBCASE("known keys") {
        CHECK(noc::WindowsVersionName(Version(5, 0, 2195), kPlatformNT) == "Windows 2000");
        CHECK(noc::WindowsVersionName(Version(5, 1, 2600), kPlatformNT) == "Windows XP");
        CHECK(noc::WindowsVersionName(Version(3, 51), kPlatformNT) == "Windows NT");
        CHECK(noc::WindowsVersionName(Version(4, 10), kPlatformWindows) == "Windows 98");
        CHECK(noc::WindowsVersionName(Version(4, 90), kPlatformWindows) == "Windows Me");
    }
    SUBCASE("4.0 depends on the platform") {
        CHECK(noc::WindowsVersionName(Version(4, 0, 1381), kPlatformNT) == "Windows NT");
        CHECK(noc::WindowsVersionName(Version(4, 0, 950), kPlatformWindows) == "Windows 95");
        CHECK(noc::WindowsVersionName(Version(4, 0), 0) == "Windows 95");
    }
    SUBCASE("major 6 is always Longhorn") {
        CHECK(noc::WindowsVersionName(Version(6, 0), kPlatformNT) == "Windows Longhorn");
        CHECK(noc::WindowsVersionName(Version(6, 1), kPlatformNT) == "Windows Longhorn");
        CHECK(noc::WindowsVersionName(Version(6, 2), kPlatformNT) == "Windows Longhorn");
        CHECK(noc::WindowsVersionName(Version(6, 3, 9600), kPlatformWindows) == "Windows Longhorn");
    }
    SUBCASE("unknown versions give no name") {
        CHECK(noc::WindowsVersionName(Version(10, 0), kPlatformNT) == "");
        CHECK(noc::WindowsVersionName(Version(5, 2), kPlatformNT) == "");
        CHECK(noc::WindowsVersionName(Version(3, 10), kPlatformNT) == "");
        CHECK(noc::WindowsVersionName(Version(60, 0), kPlatformNT) == "");
        CHECK(noc::WindowsVersionName(0, kPlatformNT) == "");
    }
}

TEST_CASE("ShutdownFlags") {
    SUBCASE("shut down + force on the old line") {
        CHECK(noc::ShutdownFlags("Windows 95") == 5u);
        CHECK(noc::ShutdownFlags("Windows 98") == 5u);
        CHECK(noc::ShutdownFlags("Windows Me") == 5u);
    }
    SUBCASE("force + power off elsewhere") {
        CHECK(noc::ShutdownFlags("Windows NT") == 12u);
        CHECK(noc::ShutdownFlags("Windows 2000") == 12u);
        CHECK(noc::ShutdownFlags("Windows XP") == 12u);
        CHECK(noc::ShutdownFlags("Windows Longhorn") == 12u);
        CHECK(noc::ShutdownFlags("") == 12u);
        CHECK(noc::ShutdownFlags("windows 98") == 12u);
    }
    SUBCASE("from the version word") {
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(4, 0), kPlatformWindows)) == 5u);
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(4, 0), kPlatformNT)) == 12u);
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(4, 10), kPlatformWindows)) == 5u);
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(4, 90), kPlatformWindows)) == 5u);
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(6, 1), kPlatformNT)) == 12u);
        CHECK(noc::ShutdownFlags(noc::WindowsVersionName(Version(10, 0), kPlatformNT)) == 12u);
    }
}

TEST_CASE("DetectXPFrom") {
    CHECK(noc::DetectXPFrom(5, 1) == "XP");
    CHECK(noc::DetectXPFrom(3, 51) == "");
    CHECK(noc::DetectXPFrom(3, 0) == "");
    CHECK(noc::DetectXPFrom(5, 0) == "NOXP");
    CHECK(noc::DetectXPFrom(5, 2) == "NOXP");
    CHECK(noc::DetectXPFrom(4, 0) == "NOXP");
    CHECK(noc::DetectXPFrom(6, 1) == "NOXP");
    CHECK(noc::DetectXPFrom(10, 0) == "NOXP");
    CHECK(noc::DetectXPFrom(1, 5) == "NOXP");
}

TEST_CASE("the refused shutdown's warning carries the system's reason on a line of its own") {
    const std::string head = "Ooops ! Windows a refusé d'éteindre l'ordinateur :\r\n";
    const std::string tail =
        "\r\nVos paramètres sont enregistrés, mais l'ordinateur reste allumé.\r\n"
        "Veuillez l'éteindre vous-même.";
    struct Case {
        const char* reason;
        uint32_t code;
        const char* shown;
    } cases[] = {
        {"Le client ne dispose pas d'un privilège nécessaire.\r\n", 1314,
         "Le client ne dispose pas d'un privilège nécessaire."},
        {"Accès refusé. \r\n\r\n", 5, "Accès refusé."},
        {"", 1115, "Erreur système 1115."},
        {" \r\n", 0, "Erreur système 0."},
    };
    for (const Case& c : cases) {
        CAPTURE(c.reason);
        CHECK(noc::ShutdownRefusedText(c.reason, c.code) == head + c.shown + tail);
    }
}

TEST_CASE("what happens at zero: each action's request and the words that name it") {
    using noc::EndAction;
    const struct {
        EndAction action;
        uint32_t flags;  // on Windows XP
        const char *warning, *notice, *tooltip, *refused;
    } table[] = {
        {EndAction::Shutdown, 12, "Attention, l'ordinateur va s'éteindre.", "L'ordinateur s'éteindra",
         "Extinction de l'ordinateur",
         "d'éteindre l'ordinateur :\r\nNon.\r\nVos paramètres sont enregistrés, mais "
         "l'ordinateur reste allumé.\r\nVeuillez l'éteindre vous-même."},
        {EndAction::Restart, 6, "Attention, l'ordinateur va redémarrer.", "L'ordinateur redémarrera",
         "Redémarrage de l'ordinateur",
         "de redémarrer l'ordinateur :\r\nNon.\r\nVos paramètres sont enregistrés, "
         "mais l'ordinateur n'a pas redémarré.\r\nVeuillez le redémarrer vous-même."},
        {EndAction::Sleep, 0, "Attention, mise en veille imminente.", "L'ordinateur se mettra en veille",
         "Mise en veille de l'ordinateur", "de mettre l'ordinateur en veille :"},
        {EndAction::Hibernate, 0, "Attention, l'ordinateur va hiberner.", "L'ordinateur se mettra en veille prolongée",
         "Veille prolongée de l'ordinateur", "de mettre l'ordinateur en veille prolongée :"},
        {EndAction::LogOff, 4, "Attention, la session va se fermer.", "La session se fermera",
         "Fermeture de la session",
         "de fermer la session :\r\nNon.\r\nVos paramètres sont enregistrés, mais la session reste ouverte.\r\n"
         "Veuillez la fermer vous-même."},
        {EndAction::Lock, 0, "Attention, la session va se verrouiller.", "La session se verrouillera",
         "Verrouillage de la session", "de verrouiller la session :"},
    };
    for (const auto& row : table) {
        CAPTURE(noc::InfoOf(row.action).shortName);
        CHECK(std::string(noc::InfoOf(row.action).warning) == row.warning);
        CHECK(noc::EndNoticeText(60, 23 * 3600 + 41 * 60, row.action) ==
              std::string(row.notice) + " dans 1 minute (à 23:42).");
        CHECK(noc::ProgramIconHint(true, false, "", "", "", "", row.action) == std::string(row.tooltip) + "...");
        CHECK(noc::ShutdownRefusedText("Non.", 5, row.action)
                  .find(std::string("Ooops ! Windows a refusé ") + row.refused) == 0);
        if (noc::InfoOf(row.action).request == noc::EndRequest::Exit)
            CHECK(noc::ExitFlagsFor(row.action, "Windows XP") == row.flags);
    }
    CHECK(noc::ExitFlagsFor(EndAction::Shutdown, "Windows 98") == 5);
}

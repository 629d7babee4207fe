#include <doctest/doctest.h>

#include "app/SoundRules.h"

TEST_CASE("the lead time's texts") {
    CHECK(noc::LeadTimeLabel(5) == "05s");
    CHECK(noc::LeadTimeLabel(9) == "09s");
    CHECK(noc::LeadTimeLabel(10) == "10s");
    CHECK(noc::LeadTimeLabel(59) == "59s");
    CHECK(noc::LeadTimeHint(7) == "Le son sera joué 7 secondes avant l'extinction");
}

TEST_CASE("the path label: whole up to 120 pixels, its end behind \"...\" beyond") {
    const noc::PathLayout shortPath = noc::FitSoundPath(120);
    CHECK(shortPath.whole);
    CHECK(shortPath.left == 7);
    const noc::PathLayout longPath = noc::FitSoundPath(121);
    CHECK_FALSE(longPath.whole);
    CHECK(longPath.left == 18);
    CHECK(longPath.width == 120);
}

TEST_CASE("the open-file dialog starts in the folder of the sound shown") {
    CHECK(noc::FolderOf("C:\\Sons\\cloche.wav") == "C:\\Sons\\");
    CHECK(noc::FolderOf("Z:/tmp/a.mp3") == "Z:/tmp/");
    CHECK(noc::FolderOf("D:alerte.wav") == "D:");
    CHECK(noc::FolderOf("Chemin du fichier...").empty());  // the placeholder: the dialog's own default
    CHECK(noc::FolderOf("").empty());
}

#include <doctest/doctest.h>

#include "driver/Driver.h"

using namespace e2e;

TEST_CASE("NocTuro starts and shows its window, which a driver can read") {
    Program prog;
    HWND form = WaitForTopWindow(prog.Id(), "TForm2", nullptr, 15000, true);
    REQUIRE(form != nullptr);
    CHECK(Text(form) == "Extinction de l'ordinateur");
}
